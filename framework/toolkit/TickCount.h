// The system tick count: milliseconds since an arbitrary start, as a
// 32-bit unsigned count that wraps after about 49.7 days, so comparisons
// of tick counts are made in unsigned 32-bit arithmetic.
#pragma once

#include <cstdint>
#include <functional>

std::uint32_t GetTickCount();

// Puts another clock in place of the system's (tests that must control
// time); an empty function gives the system's clock back.
void SetTickCountSource(std::function<std::uint32_t()> source);
