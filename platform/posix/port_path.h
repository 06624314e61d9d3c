#pragma once
// Port names to device paths: "COMn" is ttyS(n-1) in the device folder, an absolute path is
// used as is, any other name is a file of the device folder.

#include <string>

std::string ResolvePortPath(const std::string& port, const std::string& device_dir);
