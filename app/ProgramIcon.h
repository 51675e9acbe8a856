// The program's icon on its windows.
#pragma once

// Gives every window of the program the program's icon, in all its sizes.
void UseProgramIcon();
