// Power services that record what they are asked for and never touch the machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PowerControl.h"

namespace hgf::test {

class FakePowerControl final : public PowerControl {
  public:
    bool nt = true;
    bool privilegeGranted = true;
    bool systemAgrees = true;
    std::vector<std::string> calls;  // "privilege", "power S F", "exit FLAGS REASON"

    bool IsNtPlatform() override { return nt; }
    bool EnableShutdownPrivilege() override {
        calls.push_back("privilege");
        return privilegeGranted;
    }
    bool SetSystemPowerState(bool suspend, bool force) override {
        calls.push_back("power " + std::to_string(suspend) + " " + std::to_string(force));
        return systemAgrees;
    }
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        calls.push_back("exit " + std::to_string(flags) + " " + std::to_string(reason));
        return systemAgrees;
    }
};

}  // namespace hgf::test
