#pragma once
// The addresses the about window links to: this program's own documents, installed beside
// it in <prefix>/share/doc/incubator-monitor (README.md, and the chart, serial and tray
// components' interfaces in folders of those names).

#include <string>

struct AboutAddresses {
    std::string home;
    std::string chart;
    std::string serial;
    std::string tray;
    friend bool operator==(const AboutAddresses&, const AboutAddresses&) = default;
};

// For the program at `executable` (<prefix>/bin/incubator-monitor).
AboutAddresses AboutAddressesFor(const std::string& executable);

// A file:// address for an absolute path; the characters that would end the path ('#', '?')
// or start an escape ('%') are escaped, the rest is kept readable.
std::string FileAddress(const std::string& path);
