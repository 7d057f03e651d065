// Our framework's dialogs under Wine: the object sees every message of its
// window, Default() reaches the system dialog procedure, the modal loop runs
// PreTranslateMessage and ends with EndDialog, data exchange fills and reads
// controls, and the container hook may replace the template.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/OccManager.h"
#include "riviru/ui/DialogTemplateBuilder.h"

namespace {

using riviru::DialogTemplateBuilder;

constexpr int kEditId = 100;
constexpr int kComboId = 101;
constexpr UINT kEndMessage = WM_APP + 1;
constexpr UINT_PTR kTimerId = 1;

// An in-memory dialog with one edit and one combo box.
std::vector<std::uint32_t> MakeTemplate(std::uint32_t style = DialogTemplateBuilder::kDefaultStyle) {
    DialogTemplateBuilder builder;
    builder.style = style;
    builder.title = L"Framework test";
    builder.cx = 200;
    builder.cy = 100;
    DialogTemplateBuilder::Item edit;
    edit.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
    edit.x = 10, edit.y = 10, edit.cx = 100, edit.cy = 12;
    edit.id = kEditId;
    edit.windowClass = DialogTemplateBuilder::ControlClass::Edit;
    builder.items.push_back(edit);
    DialogTemplateBuilder::Item combo;
    combo.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST;
    combo.x = 10, combo.y = 30, combo.cx = 100, combo.cy = 60;
    combo.id = kComboId;
    combo.windowClass = DialogTemplateBuilder::ControlClass::ComboBox;
    builder.items.push_back(combo);
    const std::vector<std::uint8_t> bytes = builder.Build();
    std::vector<std::uint32_t> aligned((bytes.size() + 3) / 4);
    std::memcpy(aligned.data(), bytes.data(), bytes.size());
    return aligned;
}

class ProbeDialog : public fw::CDialog {
public:
    explicit ProbeDialog(const std::vector<std::uint32_t>& bytes) {
        InitModalIndirect(reinterpret_cast<const DLGTEMPLATE*>(bytes.data()));
    }

    std::wstring text = L"initial";
    int choice = 1;
    bool initialised = false;
    int keyDownsSeen = 0;
    MINMAXINFO minMaxAfterDefault{};
    fw::CComboBox combo;
    std::function<void(ProbeDialog&)> during;

protected:
    void DoDataExchange(fw::CDataExchange* exchange) override {
        fw::DDX_Control(exchange, kComboId, combo);
        fw::DDX_Text(exchange, kEditId, text);
        fw::DDX_CBIndex(exchange, kComboId, choice);
    }
    BOOL OnInitDialog() override {
        initialised = true;
        // The combo box is attached by the first exchange, so fill it first.
        fw::CComboBox filler;
        filler.SubclassDlgItem(kComboId, m_hWnd);
        filler.AddString(L"zero");
        filler.AddString(L"one");
        filler.AddString(L"two");
        filler.UnsubclassWindow();
        if (during) ::SetTimer(m_hWnd, kTimerId, 50, nullptr);
        return CDialog::OnInitDialog();
    }
    BOOL PreTranslateMessage(MSG* message) override {
        if (message->message == WM_KEYDOWN && message->wParam == 'Q') {
            ++keyDownsSeen;
            return TRUE;
        }
        return CDialog::PreTranslateMessage(message);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_TIMER:
            if (wParam == kTimerId) {
                ::KillTimer(m_hWnd, kTimerId);
                during(*this);
                return 0;
            }
            break;
        case kEndMessage:
            EndDialog(static_cast<INT_PTR>(wParam));
            return 0;
        case WM_GETMINMAXINFO: {
            const LRESULT result = Default();
            minMaxAfterDefault = *reinterpret_cast<MINMAXINFO*>(lParam);
            return result;
        }
        default:
            break;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

// Runs the dialog modally; `during` is called once from a timer of the
// dialog, that is after the loop found its queue empty and showed it.
INT_PTR RunWith(ProbeDialog& dialog, std::function<void(ProbeDialog&)> during) {
    dialog.during = std::move(during);
    return dialog.DoModal();
}

TEST(FrameworkDialog, ModalDialogExchangesDataAndEndsWithTheGivenValue) {
    const auto bytes = MakeTemplate();
    ProbeDialog dialog(bytes);
    std::wstring shownText;
    int shownChoice = -1;
    bool visible = false;
    const INT_PTR result = RunWith(dialog, [&](ProbeDialog& d) {
        visible = d.IsWindowVisible();
        wchar_t buffer[64] = {};
        ::GetDlgItemTextW(d.m_hWnd, kEditId, buffer, 64);
        shownText = buffer;
        shownChoice = d.combo.GetCurSel();
        ::SetDlgItemTextW(d.m_hWnd, kEditId, L"typed");
        d.combo.SetCurSel(2);
        d.UpdateData(true);
        d.PostMessage(kEndMessage, 42);
    });
    EXPECT_TRUE(dialog.initialised);
    EXPECT_TRUE(visible) << "a modal dialog is shown once its queue is empty";
    EXPECT_EQ(shownText, L"initial");
    EXPECT_EQ(shownChoice, 1);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(dialog.text, L"typed");
    EXPECT_EQ(dialog.choice, 2);
    EXPECT_EQ(dialog.m_hWnd, nullptr) << "the window is gone and the object forgot it";
}

TEST(FrameworkDialog, EscapeEndsWithCancelAndPreTranslateSeesKeysFirst) {
    const auto bytes = MakeTemplate();
    ProbeDialog dialog(bytes);
    const INT_PTR result = RunWith(dialog, [](ProbeDialog& d) {
        HWND edit = d.GetDlgItem(kEditId);
        ::PostMessageW(edit, WM_KEYDOWN, 'Q', 0);
        ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(dialog.keyDownsSeen, 1);
    EXPECT_EQ(result, IDCANCEL);
}

TEST(FrameworkDialog, DefaultReachesTheSystemDialogProcedure) {
    const auto bytes = MakeTemplate(DialogTemplateBuilder::kDefaultStyle | WS_THICKFRAME);
    ProbeDialog dialog(bytes);
    RunWith(dialog, [](ProbeDialog& d) {
        d.SetWindowPos(nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
        d.PostMessage(kEndMessage, 1);
    });
    EXPECT_GT(dialog.minMaxAfterDefault.ptMaxTrackSize.x, 0) << "the system filled the tracking sizes";
}

TEST(FrameworkDialog, ModelessDialogRunsHiddenUntilEnded) {
    const auto bytes = MakeTemplate(DialogTemplateBuilder::kDefaultStyle & ~WS_VISIBLE);
    ProbeDialog dialog(bytes);
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_FALSE(dialog.IsWindowVisible());
    dialog.PostMessage(kEndMessage, 7);
    EXPECT_EQ(dialog.RunModalLoop(false), 7);
    EXPECT_FALSE(dialog.IsWindowVisible());
    ::DestroyWindow(dialog.m_hWnd);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

class TitleChanger : public fw::COccManager {
public:
    const DLGTEMPLATE* PreCreateDialog(fw::DialogCreateInfo* info, const DLGTEMPLATE*) override {
        ++calls;
        DialogTemplateBuilder builder;
        builder.title = L"Replaced";
        builder.style &= ~WS_VISIBLE;
        const auto bytes = builder.Build();
        info->replacement.assign(bytes.begin(), bytes.end());
        info->replacement.resize((info->replacement.size() + 3) / 4 * 4);
        return reinterpret_cast<const DLGTEMPLATE*>(info->replacement.data());
    }
    int calls = 0;
};

TEST(FrameworkDialog, TheContainerHookMayReplaceTheTemplate) {
    TitleChanger changer;
    fw::AfxEnableControlContainer(&changer);
    const auto bytes = MakeTemplate();
    ProbeDialog dialog(bytes);
    const bool created = dialog.Create(nullptr);
    fw::AfxEnableControlContainer(nullptr);
    ASSERT_TRUE(created);
    EXPECT_EQ(changer.calls, 1);
    EXPECT_EQ(dialog.GetWindowText(), L"Replaced");
    ::DestroyWindow(dialog.m_hWnd);
}

}  // namespace
