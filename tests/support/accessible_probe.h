// Test support: a window's accessible object as a screen reader reads it (Active Accessibility), from this
// process or another. The caller's thread has COM initialised (ComScope).
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>
#include <vector>

namespace korimo::test {

struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

struct AccessibleNode {
    long id = CHILDID_SELF;
    std::wstring name, description, action;
    long role = 0;
    RECT screen{};
};

// One object or simple child (`id`) of an accessible object.
AccessibleNode ReadAccessible(IAccessible* object, long id);
// The client object of a window itself (id CHILDID_SELF) and, after it, each of its children by id; empty when
// the window gives no object.
std::vector<AccessibleNode> ReadClientObject(HWND window);
// Runs the default action of the child `id` of a window's client object; false when it was refused.
bool DoDefaultAction(HWND window, long id);

} // namespace korimo::test
