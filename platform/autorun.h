#pragma once
// Starting the program when the user logs in (the settings dialog's autorun box). The entry
// names this executable; an entry left by a copy of the program at another path does not
// count as registered.

#include <stdexcept>
#include <string>

namespace platform {

// A change of the start-up entry that the system refused; what() is the text to show.
class AutorunError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Autorun {
  public:
    virtual ~Autorun() = default;

    // True when the entry exists, is enabled and starts this executable; false as well when
    // it cannot be read.
    virtual bool IsRegistered() const = 0;
    // Writes the entry for this executable, replacing any other. Throws AutorunError:
    // "Failed to create key <folder>" when the entry's folder or file cannot be created,
    // "Failed to set data for '<name>'" when its content cannot be written.
    virtual void Register() = 0;
    // Removes the entry, whichever program it names; nothing when there is none. Throws
    // AutorunError "Failed to set data for '<name>'" when it stays.
    virtual void Unregister() = 0;
};

}  // namespace platform
