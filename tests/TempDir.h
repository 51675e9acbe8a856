// A private scratch folder for a test: made with mkdtemp in the temporary
// folder (a name nobody can guess or take first, mode 0700) and removed
// with everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string>

class TTempDir {
public:
    explicit TTempDir(const std::string& prefix = "lumivar-test");
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes a file of exactly these bytes into the folder; returns its path.
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

// The bytes of a file ("" when it cannot be read).
std::string FileContents(const std::filesystem::path& file);
