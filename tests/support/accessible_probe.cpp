#include "accessible_probe.h"

namespace korimo::test {

namespace {
VARIANT Child(long id) {
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

std::wstring Taken(BSTR text) {
    std::wstring copy = text ? text : L"";
    SysFreeString(text);
    return copy;
}

IAccessible* ClientObject(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}
} // namespace

AccessibleNode ReadAccessible(IAccessible* object, long id) {
    AccessibleNode node;
    node.id = id;
    BSTR text = nullptr;
    if (object->get_accName(Child(id), &text) == S_OK) node.name = Taken(text);
    text = nullptr;
    if (object->get_accDescription(Child(id), &text) == S_OK) node.description = Taken(text);
    text = nullptr;
    if (object->get_accDefaultAction(Child(id), &text) == S_OK) node.action = Taken(text);
    VARIANT role{};
    if (SUCCEEDED(object->get_accRole(Child(id), &role)) && role.vt == VT_I4) node.role = role.lVal;
    LONG x = 0, y = 0, w = 0, h = 0;
    if (SUCCEEDED(object->accLocation(&x, &y, &w, &h, Child(id)))) node.screen = {x, y, x + w, y + h};
    return node;
}

std::vector<AccessibleNode> ReadClientObject(HWND window) {
    std::vector<AccessibleNode> nodes;
    IAccessible* object = ClientObject(window);
    if (!object) return nodes;
    LONG count = 0;
    object->get_accChildCount(&count);
    for (long id = CHILDID_SELF; id <= count; ++id) nodes.push_back(ReadAccessible(object, id));
    object->Release();
    return nodes;
}

bool DoDefaultAction(HWND window, long id) {
    IAccessible* object = ClientObject(window);
    if (!object) return false;
    const bool done = object->accDoDefaultAction(Child(id)) == S_OK;
    object->Release();
    return done;
}

} // namespace korimo::test
