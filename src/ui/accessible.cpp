#include "ui/accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <atomic>
#include <memory>
#include <utility>

#include "ui/handle.h"
#include "ui/messages.h"

namespace korimo::ui {

namespace {

template <class Interface> void ReleaseInterface(Interface* object) { object->Release(); }
// A reference to a COM object, released when its holder goes.
template <class Interface> using Com = Owned<Interface*, &ReleaseInterface<Interface>>;

// The default actions asked for and not yet run, in the order they were asked.
std::vector<std::function<void()>> pendingActions;

void Defer(HWND window, const std::function<void()>& action) {
    if (pendingActions.empty()) PostMessageW(GetAncestor(window, GA_ROOT), WM_KORIMO_ASKED_ACTION, 0, 0);
    pendingActions.push_back(action);
}

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Number(long value, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The standard object of a window with the changes of a spec.
class Overlay final : public IAccessible {
public:
    Overlay(HWND window, Com<IAccessible> standard, const AccessibleSpec& spec)
        : window_(window), standard_(std::move(standard)), spec_(spec) {
        standard_.Get()->get_accChildCount(&standardChildren_);
    }

    // IUnknown. No IEnumVARIANT: a reader then asks for the children one by one, ours included.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch, through the standard object's type information but on our methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return standard_.Get()->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return standard_.Get()->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override {
        return standard_.Get()->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* error, UINT* badArgument) override {
        Com<ITypeInfo> info;
        if (FAILED(standard_.Get()->GetTypeInfo(0, lcid, info.Receive())) || !info) return E_NOTIMPL;
        return info.Get()->Invoke(static_cast<IAccessible*>(this), id, flags, params, result, error, badArgument);
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_.Get()->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        *count = standardChildren_ + static_cast<LONG>(spec_.elements.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        if (!Element(child)) return standard_.Get()->get_accChild(child, out);
        *out = nullptr;
        return S_FALSE; // a simple element, known by its id
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        if (const AccessibleElement* element = Element(child)) return Text(element->name, out);
        if (IsSelf(child) && spec_.name) return Text(spec_.name(), out);
        return standard_.Get()->get_accName(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        if (Element(child)) return Empty(out);
        return standard_.Get()->get_accValue(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        if (Element(child)) return Empty(out);
        if (IsSelf(child) && spec_.description) return Text(spec_.description(), out);
        return standard_.Get()->get_accDescription(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (const AccessibleElement* element = Element(child)) return Number(element->role, out);
        if (IsSelf(child) && spec_.role) return Number(spec_.role, out);
        return standard_.Get()->get_accRole(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (Element(child)) return Number(IsWindowVisible(window_) ? 0 : STATE_SYSTEM_INVISIBLE, out);
        const HRESULT hr = standard_.Get()->get_accState(child, out);
        if (SUCCEEDED(hr) && IsSelf(child) && spec_.role == ROLE_SYSTEM_LINK && out->vt == VT_I4)
            out->lVal |= STATE_SYSTEM_LINKED;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        if (Element(child)) return Empty(out);
        return standard_.Get()->get_accHelp(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        if (Element(child)) return S_FALSE;
        return standard_.Get()->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        if (const AccessibleElement* element = Element(child)) return Text(element->shortcut, out);
        if (IsSelf(child) && !spec_.shortcut.empty()) return Text(spec_.shortcut, out);
        return standard_.Get()->get_accKeyboardShortcut(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return standard_.Get()->get_accFocus(out); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override { return standard_.Get()->get_accSelection(out); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        if (const AccessibleElement* element = Element(child)) return Text(element->action, out);
        if (IsSelf(child) && spec_.press) return Text(spec_.action, out);
        return standard_.Get()->get_accDefaultAction(child, out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        if (Element(child)) return S_FALSE;
        return standard_.Get()->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        const AccessibleElement* element = Element(child);
        if (!element) return standard_.Get()->accLocation(left, top, width, height, child);
        if (!left || !top || !width || !height) return E_POINTER;
        RECT rect = element->where();
        MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* out) override {
        if (!Element(start)) return standard_.Get()->accNavigate(direction, start, out);
        if (out) VariantInit(out);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        POINT point{x, y};
        ScreenToClient(window_, &point);
        for (std::size_t i = 0; i < spec_.elements.size(); ++i) {
            const RECT rect = spec_.elements[i].where();
            if (PtInRect(&rect, point)) return Number(standardChildren_ + static_cast<long>(i) + 1, out);
        }
        return standard_.Get()->accHitTest(x, y, out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (const AccessibleElement* element = Element(child)) {
            Defer(window_, element->press);
            return S_OK;
        }
        if (IsSelf(child) && spec_.press) {
            Defer(window_, spec_.press);
            return S_OK;
        }
        return standard_.Get()->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_.Get()->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_.Get()->put_accValue(child, value);
    }

private:
    // Our children follow the standard object's: ids standardChildren_ + 1, + 2, ...
    const AccessibleElement* Element(const VARIANT& child) const {
        if (child.vt != VT_I4 || child.lVal <= standardChildren_) return nullptr;
        const auto index = static_cast<std::size_t>(child.lVal - standardChildren_ - 1);
        return index < spec_.elements.size() ? &spec_.elements[index] : nullptr;
    }
    static HRESULT Empty(BSTR* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }

    std::atomic<ULONG> references_{1};
    HWND window_;
    Com<IAccessible> standard_;
    AccessibleSpec spec_;
    LONG standardChildren_ = 0;
};

// A described control keeps its spec and the procedure it had in its user data: a window property (as
// SetWindowSubclass keeps them) would cost a lookup at every message, and a list or a log view gets many.
struct Described {
    WNDPROC previous;
    AccessibleSpec spec;
};

LRESULT CALLBACK DescribedProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    auto* described = reinterpret_cast<Described*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    if (!described) return DefWindowProcW(control, msg, wParam, lParam);
    const WNDPROC previous = described->previous;
    if (msg == WM_GETOBJECT) {
        if (const LRESULT answer = AnswerGetObject(control, wParam, lParam, described->spec)) return answer;
    } else if (msg == WM_NCDESTROY) {
        const std::unique_ptr<Described> gone(described); // the description goes with its control
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        SetWindowLongPtrW(control, GWLP_USERDATA, 0);
    }
    return CallWindowProcW(previous, control, msg, wParam, lParam);
}

} // namespace

void RunAskedActions() {
    for (auto& action : std::exchange(pendingActions, {}))
        if (action) action();
}

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleSpec& spec) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    Com<IAccessible> standard;
    if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(standard.Receive()))) ||
        !standard)
        return 0;
    const Com<IAccessible> overlay(new Overlay(window, std::move(standard), spec)); // the answer takes its own
    const LRESULT answer = LresultFromObject(__uuidof(IAccessible), wParam, overlay.Get());
    return answer > 0 ? answer : 0;
}

void DescribeControl(HWND control, AccessibleSpec spec) {
    if (!control || GetWindowLongPtrW(control, GWLP_USERDATA)) return; // described already, or the data is taken
    auto owned = std::make_unique<Described>(Described{nullptr, std::move(spec)});
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owned.get()));
    owned->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DescribedProc)));
    if (owned->previous)
        owned.release(); // freed when the control goes
    else
        SetWindowLongPtrW(control, GWLP_USERDATA, 0);
}

AccessibleSpec NamedAs(std::wstring name) {
    AccessibleSpec spec;
    spec.name = [name = std::move(name)] { return name; };
    return spec;
}

void AnnounceAlert(HWND window) { NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, CHILDID_SELF); }

} // namespace korimo::ui
