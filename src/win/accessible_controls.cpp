// Standard controls described where the system's proxies fall short: a button or check box,
// and a status bar whose parts are read out and their changes announced.
#include "win/accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include "win/error.h"
#include "win/subclass.h"

namespace win {
namespace {

class FactsOnly final : public AccessibleSource {
public:
    FactsOnly(std::function<AccessibleFacts()> facts, std::function<void()> defaultAction)
        : facts_(std::move(facts)), defaultAction_(std::move(defaultAction)) {}
    AccessibleFacts Describe(long) override { return facts_(); }
    bool DoDefaultAction(long) override {
        if (!defaultAction_)
            return false;
        defaultAction_();
        return true;
    }

private:
    std::function<AccessibleFacts()> facts_;
    std::function<void()> defaultAction_;
};

class StatusBarParts final : public AccessibleSource {
public:
    explicit StatusBarParts(HWND bar) : bar_(bar) {}
    AccessibleFacts Describe(long item) override {
        // The bar itself has no name: its parts are read out, each by its text.
        AccessibleFacts f;
        f.name = L"";
        f.role = ROLE_SYSTEM_STATUSBAR;
        if (item == 0)
            return f;
        const auto part = static_cast<WPARAM>(item - 1);
        std::wstring text(LOWORD(::SendMessageW(bar_, SB_GETTEXTLENGTHW, part, 0)) + 1, L'\0');
        text.resize(
            LOWORD(::SendMessageW(bar_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()))));
        f.name = std::move(text);
        f.role = ROLE_SYSTEM_STATICTEXT;
        f.state = STATE_SYSTEM_READONLY;
        return f;
    }
    long ItemCount() override { return static_cast<long>(::SendMessageW(bar_, SB_GETPARTS, 0, 0)); }
    std::optional<RECT> ItemBounds(long item) override {
        RECT r{};
        if (!::SendMessageW(bar_, SB_GETRECT, static_cast<WPARAM>(item - 1),
                            reinterpret_cast<LPARAM>(&r)))
            return std::nullopt;
        ::MapWindowPoints(bar_, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

private:
    HWND bar_;
};

// The described control answers for itself as long as it lives; a status bar also announces
// every change of a part's text.
void Describe(HWND control, std::shared_ptr<AccessibleSource> source, bool announceParts) {
    Subclass::ForLifeOf(control,
                        [control, source, announceParts](UINT msg, WPARAM wParam,
                                                         LPARAM lParam) -> std::optional<LRESULT> {
                            if (msg == WM_GETOBJECT)
                                return AnswerGetObject(control, wParam, lParam, source);
                            if (msg == SB_SETTEXTW && announceParts) {
                                const LRESULT result =
                                    ::DefSubclassProc(control, msg, wParam, lParam);
                                ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT,
                                                 LOBYTE(LOWORD(wParam)) + 1);
                                return result;
                            }
                            return std::nullopt;
                        });
}

} // namespace

std::shared_ptr<AccessibleSource> DescribedBy(std::function<AccessibleFacts()> facts,
                                              std::function<void()> defaultAction) {
    return std::make_shared<FactsOnly>(std::move(facts), std::move(defaultAction));
}

void DescribeButton(HWND button) {
    const LONG type = ::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
    const bool checkBox = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                          type == BS_AUTO3STATE;
    auto facts = [button, checkBox] {
        AccessibleFacts f;
        f.role = checkBox ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON;
        f.defaultAction = L"押す";
        if (checkBox) {
            const LRESULT check = ::SendMessageW(button, BM_GETCHECK, 0, 0);
            f.state = check == BST_CHECKED         ? STATE_SYSTEM_CHECKED
                      : check == BST_INDETERMINATE ? STATE_SYSTEM_MIXED
                                                   : 0;
            f.defaultAction = check == BST_CHECKED ? L"チェックを外す" : L"チェックする";
        }
        return f;
    };
    // Posted: the answer must not wait for whatever the click sets going.
    auto click = [button] { ::PostMessageW(button, BM_CLICK, 0, 0); };
    Describe(button, DescribedBy(facts, click), false);
}

void DescribeStatusBar(HWND bar) { Describe(bar, std::make_shared<StatusBarParts>(bar), true); }

} // namespace win
