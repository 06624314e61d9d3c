#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it.

#include <string>
#include <vector>

class TempFolder {
  public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // The names in the folder (hidden ones too), sorted.
    std::vector<std::string> Names() const;

  private:
    std::string path_;
};

// Test file helpers: the whole content, or "" when the file cannot be read.
std::string Slurp(const std::string& path);
void Spit(const std::string& path, const std::string& bytes);
