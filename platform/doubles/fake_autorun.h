#pragma once
// An autorun entry for tests: a flag, with refusals the test can switch on.

#include <string>

#include "platform/autorun.h"

namespace platform {

class FakeAutorun : public Autorun {
  public:
    bool IsRegistered() const override { return registered; }
    void Register() override {
        ++registrations;
        if (!failure.empty()) throw AutorunError(failure);
        registered = true;
    }
    void Unregister() override {
        ++unregistrations;
        if (!failure.empty()) throw AutorunError(failure);
        registered = false;
    }

    bool registered = false;
    std::string failure;  // not empty: Register and Unregister throw with this text
    int registrations = 0;
    int unregistrations = 0;
};

}  // namespace platform
