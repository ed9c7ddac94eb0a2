#include "win/accessible.h"

#include <commctrl.h>
#include <oleacc.h>
#include <wrl/client.h>

#include "win/error.h"

namespace win {
namespace {

// The IID as the headers declare it: MinGW's import library gives a broken IID_IAccessible.
const IID& kIidAccessible = __uuidof(IAccessible);

// Every method is an entry from the platform: nothing may unwind through it.
template <typename Body> HRESULT Guarded(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        ReportCurrentException();
        return E_FAIL;
    }
}

HRESULT Text(const std::wstring& text, BSTR* out) {
    *out = ::SysAllocString(text.c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

VARIANT Item(long item) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = item;
    return v;
}

class AccessibleObject final : public IAccessible, public IOleWindow {
public:
    AccessibleObject(HWND hwnd, Microsoft::WRL::ComPtr<IAccessible> proxy,
                     std::weak_ptr<AccessibleSource> source)
        : hwnd_(hwnd), proxy_(std::move(proxy)), source_(std::move(source)) {}

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        return Guarded([&] {
            if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible)
                *object = static_cast<IAccessible*>(this);
            else if (iid == IID_IOleWindow)
                *object = static_cast<IOleWindow*>(this);
            else if (iid == IID_IEnumVARIANT && ItemCount() == 0)
                return proxy_->QueryInterface(iid, object); // the child windows, as it has them
            else
                return E_NOINTERFACE;
            AddRef();
            return S_OK;
        });
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: the methods are called directly; nobody scripts these objects.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        *hwnd = hwnd_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override {
        return proxy_->get_accParent(parent);
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        return Guarded([&] {
            const long items = ItemCount();
            if (items == 0)
                return proxy_->get_accChildCount(count);
            *count = items;
            return S_OK;
        });
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        return Guarded([&] {
            if (ItemCount() == 0)
                return proxy_->get_accChild(child, object);
            *object = nullptr;
            // A row is a simple element: no object of its own.
            return ItemOf(child) > 0 ? S_FALSE : E_INVALIDARG;
        });
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        return TextOf(child, &AccessibleFacts::name, &IAccessible::get_accName, name);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        return NothingForItems(child, &IAccessible::get_accValue, value);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
        return TextOf(child, &AccessibleFacts::description, &IAccessible::get_accDescription,
                      description);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        return Guarded([&] {
            const long item = ItemOf(child);
            if (item < 0)
                return proxy_->get_accRole(child, role); // one of the proxy's children
            const AccessibleFacts facts = Source()->Describe(item);
            if (item == 0 && facts.role == 0)
                return proxy_->get_accRole(child, role);
            *role = Item(facts.role);
            return S_OK;
        });
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return Guarded([&] {
            const long item = ItemOf(child);
            if (item < 0)
                return proxy_->get_accState(child, state);
            long bits = Source()->Describe(item).state;
            if (item == 0) {
                VARIANT proxied;
                ::VariantInit(&proxied);
                if (SUCCEEDED(proxy_->get_accState(child, &proxied)) && proxied.vt == VT_I4)
                    bits |= proxied.lVal;
            }
            *state = Item(bits);
            return S_OK;
        });
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override {
        return NothingForItems(child, &IAccessible::get_accHelp, help);
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return Guarded([&] {
            if (ItemOf(child) > 0) {
                *file = nullptr;
                return S_FALSE;
            }
            return proxy_->get_accHelpTopic(file, child, topic);
        });
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return NothingForItems(child, &IAccessible::get_accKeyboardShortcut, shortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override {
        return Guarded([&] {
            const long item =
                ItemCount() > 0 && ::GetFocus() == hwnd_ ? Source()->FocusedItem() : 0;
            if (item == 0)
                return proxy_->get_accFocus(focus);
            *focus = Item(item);
            return S_OK;
        });
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        return Guarded([&] {
            if (ItemCount() == 0)
                return proxy_->get_accSelection(selection);
            ::VariantInit(selection);
            const long item = Source()->SelectedItem();
            if (item == 0)
                return S_FALSE;
            *selection = Item(item);
            return S_OK;
        });
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return TextOf(child, &AccessibleFacts::defaultAction, &IAccessible::get_accDefaultAction,
                      action);
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override {
        return Guarded([&] {
            return ItemOf(child) > 0 ? DISP_E_MEMBERNOTFOUND : proxy_->accSelect(flags, child);
        });
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                             VARIANT child) override {
        return Guarded([&] {
            const long item = ItemOf(child);
            if (item <= 0)
                return proxy_->accLocation(left, top, width, height, child);
            const std::optional<RECT> r = Source()->ItemBounds(item);
            if (!r)
                return S_FALSE;
            *left = r->left;
            *top = r->top;
            *width = r->right - r->left;
            *height = r->bottom - r->top;
            return S_OK;
        });
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return Guarded([&] {
            return ItemOf(start) > 0 ? E_NOTIMPL : proxy_->accNavigate(direction, start, end);
        });
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* hit) override {
        return Guarded([&] {
            const long item = ItemCount() > 0 ? Source()->ItemAt({x, y}) : 0;
            if (item == 0)
                return proxy_->accHitTest(x, y, hit);
            *hit = Item(item);
            return S_OK;
        });
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        return Guarded([&] {
            const long item = ItemOf(child);
            if (item >= 0 && Source()->DoDefaultAction(item))
                return S_OK;
            return item > 0 ? DISP_E_MEMBERNOTFOUND : proxy_->accDoDefaultAction(child);
        });
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~AccessibleObject() = default;

    // Once the window's object of ours is gone, the proxy answers alone.
    std::shared_ptr<AccessibleSource> Source() const { return source_.lock(); }
    long ItemCount() const {
        const auto source = Source();
        return source ? source->ItemCount() : 0;
    }
    // The item a child id names: 0 for the window itself, -1 when it is none of ours.
    long ItemOf(const VARIANT& child) const {
        if (child.vt != VT_I4 || !Source())
            return -1;
        if (child.lVal == CHILDID_SELF)
            return 0;
        return child.lVal > 0 && child.lVal <= ItemCount() ? child.lVal : -1;
    }
    HRESULT TextOf(VARIANT child, std::optional<std::wstring> AccessibleFacts::*field,
                   HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT, BSTR*), BSTR* out) {
        return Guarded([&] {
            const long item = ItemOf(child);
            if (item < 0)
                return (proxy_.Get()->*ask)(child, out);
            const std::optional<std::wstring> text = Source()->Describe(item).*field;
            if (item == 0 && !text)
                return (proxy_.Get()->*ask)(child, out);
            *out = nullptr;
            return text ? Text(*text, out) : S_FALSE;
        });
    }
    HRESULT NothingForItems(VARIANT child,
                            HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT, BSTR*),
                            BSTR* out) {
        return Guarded([&] {
            if (ItemOf(child) > 0) {
                *out = nullptr;
                return S_FALSE;
            }
            return (proxy_.Get()->*ask)(child, out);
        });
    }

    ULONG references_ = 1;
    HWND hwnd_;
    Microsoft::WRL::ComPtr<IAccessible> proxy_;
    std::weak_ptr<AccessibleSource> source_;
};

} // namespace

std::optional<LRESULT> AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam,
                                       const std::shared_ptr<AccessibleSource>& source) {
    // The object id is a 32-bit value, however the platform widens it.
    if (!source || static_cast<LONG>(lParam) != OBJID_CLIENT)
        return std::nullopt;
    Microsoft::WRL::ComPtr<IAccessible> proxy;
    if (FAILED(::CreateStdAccessibleObject(hwnd, OBJID_CLIENT, kIidAccessible,
                                           reinterpret_cast<void**>(proxy.GetAddressOf()))))
        return std::nullopt;
    auto* object = new AccessibleObject(hwnd, std::move(proxy), source);
    const LRESULT answer =
        ::LresultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(object));
    object->Release();
    return answer;
}

} // namespace win
