// The dialog bases on real windows: anchored children, the size grip's hit
// test, the tracking sizes, the two bands of CVistaDialog and their colours,
// the message font of CFontOccManager and the themed border. Dialogs come from
// templates in memory and run modeless on the test's thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <uxtheme.h>

#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/OccManager.h"
#include "riviru/ui/CFontOccManager.h"
#include "riviru/ui/CResizeDlg.h"
#include "riviru/ui/CThemedBorderHelper.h"
#include "riviru/ui/CVistaDialog.h"
#include "riviru/ui/DialogTemplateBuilder.h"
#include "riviru/ui/DpiScale.h"

using riviru::DialogTemplateBuilder;
using ControlClass = DialogTemplateBuilder::ControlClass;

namespace {

constexpr std::uint32_t kChildVisible = WS_CHILD | WS_VISIBLE;

void Pump() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

DialogTemplateBuilder::Item Control(std::uint32_t id, ControlClass windowClass, std::int16_t x,
                                    std::int16_t y, std::int16_t cx, std::int16_t cy, std::uint32_t style = 0,
                                    std::uint32_t exStyle = 0) {
    DialogTemplateBuilder::Item item;
    item.id = id;
    item.windowClass = windowClass;
    item.style = kChildVisible | style;
    item.exStyle = exStyle;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    return item;
}

// A hidden dialog (the default style has no WS_VISIBLE), optionally with a
// sizing border.
DialogTemplateBuilder DialogTemplate(bool sizingBorder, std::vector<DialogTemplateBuilder::Item> items = {}) {
    DialogTemplateBuilder builder;
    builder.title = L"Dialog bases";
    builder.cx = 200;
    builder.cy = 120;
    if (sizingBorder) builder.style |= WS_THICKFRAME;
    builder.items = std::move(items);
    return builder;
}

// Creates a dialog of type Dialog modeless from a template it keeps.
template <typename Dialog>
class Modeless {
public:
    explicit Modeless(const DialogTemplateBuilder& builder) : bytes_(builder.Build()) {
        dialog.InitModalIndirect(reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()));
        created = dialog.Create(nullptr);
        Pump();
    }

    Dialog dialog;
    bool created = false;

private:
    std::vector<std::uint8_t> bytes_;
};

// Registers the children given by the test once the layout has started.
class AnchoredDialog : public riviru::CResizeDlg {
public:
    std::vector<std::pair<int, std::uint32_t>> anchors;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CResizeDlg::OnInitDialog();
        for (const auto& anchor : anchors) GetLayout().Add(anchor.first, anchor.second);
        return result;
    }
};

// The same, but the anchors must be known before the dialog is created.
class PresetAnchoredDialog : public AnchoredDialog {
public:
    PresetAnchoredDialog() {
        using namespace riviru;
        anchors = {{100, 0},
                   {101, AnchorRight | AnchorBottom},
                   {102, 15},
                   {103, AnchorTop | AnchorLeft},
                   {104, AnchorTop | AnchorLeft | PinRight | NoCopyBits}};
    }
};

RECT ChildRect(HWND dialog, int id) {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

LRESULT HitTestAt(HWND dialog, POINT clientPoint) {
    ::ClientToScreen(dialog, &clientPoint);
    return ::SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(clientPoint.x, clientPoint.y));
}

}  // namespace

TEST(ResizeDialog, ChildrenFollowTheirAnchorsWhenTheDialogGrows) {
    const std::vector<DialogTemplateBuilder::Item> items = {
        Control(100, ControlClass::Static, 80, 50, 40, 10),    // centred
        Control(101, ControlClass::Static, 150, 100, 40, 12),  // lower right corner
        Control(102, ControlClass::Edit, 5, 5, 190, 40),       // stretches
        Control(103, ControlClass::Static, 5, 50, 30, 10),     // stays
        Control(104, ControlClass::Static, 5, 70, 30, 10),     // right edge pinned
    };
    Modeless<PresetAnchoredDialog> run(DialogTemplate(true, items));
    ASSERT_TRUE(run.created);
    HWND dialog = run.dialog.GetSafeHwnd();
    ASSERT_EQ(run.dialog.GetLayout().Count(), 5u);

    // A second registration keeps the first one's flags.
    EXPECT_TRUE(run.dialog.GetLayout().Add(101, 0));
    EXPECT_EQ(run.dialog.GetLayout().Find(::GetDlgItem(dialog, 101))->flags,
              riviru::AnchorRight | riviru::AnchorBottom);
    EXPECT_EQ(run.dialog.GetLayout().Count(), 5u);

    const RECT oldClient = run.dialog.GetClientRect();
    RECT before[5];
    for (int i = 0; i < 5; ++i) before[i] = ChildRect(dialog, 100 + i);
    const RECT window = run.dialog.GetWindowRect();
    const int grow = 11;
    ASSERT_TRUE(::SetWindowPos(dialog, nullptr, 0, 0, Width(window) + grow, Height(window) + grow + 20,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    Pump();
    const RECT newClient = run.dialog.GetClientRect();
    ASSERT_EQ(Width(newClient), Width(oldClient) + grow);
    ASSERT_EQ(Height(newClient), Height(oldClient) + grow + 20);
    const int dx = grow;
    const int dy = grow + 20;

    RECT after[5];
    for (int i = 0; i < 5; ++i) after[i] = ChildRect(dialog, 100 + i);
    // Centred: the halves of the two extents are truncated separately.
    const int cx = riviru::DpiScale::CentringShift(Width(oldClient), Width(newClient));
    const int cy = riviru::DpiScale::CentringShift(Height(oldClient), Height(newClient));
    EXPECT_EQ(after[0].left, before[0].left + cx);
    EXPECT_EQ(after[0].top, before[0].top + cy);
    EXPECT_EQ(Width(after[0]), Width(before[0]));
    // Right and bottom: moves with the corner.
    EXPECT_EQ(after[1].left, before[1].left + dx);
    EXPECT_EQ(after[1].top, before[1].top + dy);
    EXPECT_EQ(Width(after[1]), Width(before[1]));
    EXPECT_EQ(Height(after[1]), Height(before[1]));
    // All four: stretches both ways.
    EXPECT_EQ(after[2].left, before[2].left);
    EXPECT_EQ(after[2].top, before[2].top);
    EXPECT_EQ(Width(after[2]), Width(before[2]) + dx);
    EXPECT_EQ(Height(after[2]), Height(before[2]) + dy);
    // Top and left: stays.
    EXPECT_TRUE(::EqualRect(&after[3], &before[3]));
    // Pinned right edge: reaches the client's right edge.
    EXPECT_EQ(after[4].left, before[4].left);
    EXPECT_EQ(after[4].right, newClient.right);
}

TEST(ResizeDialog, OnlyADialogWithASizingBorderAnswersTheGripCell) {
    for (const bool sizing : {false, true}) {
        Modeless<riviru::CResizeDlg> run(DialogTemplate(sizing));
        ASSERT_TRUE(run.created);
        HWND dialog = run.dialog.GetSafeHwnd();
        EXPECT_EQ(run.dialog.IsGripShown(), sizing);
        const RECT client = run.dialog.GetClientRect();
        const LRESULT corner = HitTestAt(dialog, POINT{client.right - 2, client.bottom - 2});
        const LRESULT cellEdge = HitTestAt(dialog, POINT{client.right - ::GetSystemMetrics(SM_CXVSCROLL),
                                                         client.bottom - ::GetSystemMetrics(SM_CYHSCROLL)});
        const LRESULT middle = HitTestAt(dialog, POINT{client.right / 2, client.bottom / 2});
        EXPECT_EQ(middle, HTCLIENT) << "sizing " << sizing;
        if (sizing) {
            EXPECT_EQ(corner, HTBOTTOMRIGHT);
            EXPECT_EQ(cellEdge, HTBOTTOMRIGHT);
        } else {
            EXPECT_EQ(corner, HTCLIENT);
            EXPECT_EQ(cellEdge, HTCLIENT);
        }
    }
}

TEST(ResizeDialog, ReportsItsTrackingSizes) {
    Modeless<riviru::CResizeDlg> run(DialogTemplate(true));
    ASSERT_TRUE(run.created);
    HWND dialog = run.dialog.GetSafeHwnd();

    MINMAXINFO info{};
    ::SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 0);
    EXPECT_EQ(info.ptMinTrackSize.y, 0);
    EXPECT_EQ(info.ptMaxTrackSize.x, INT_MAX);
    EXPECT_EQ(info.ptMaxTrackSize.y, INT_MAX);

    run.dialog.SetMinTrackSize(SIZE{300, 220});
    run.dialog.SetMaxTrackSize(SIZE{640, 480});
    info = MINMAXINFO{};
    ::SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 300);
    EXPECT_EQ(info.ptMinTrackSize.y, 220);
    EXPECT_EQ(info.ptMaxTrackSize.x, 640);
    EXPECT_EQ(info.ptMaxTrackSize.y, 480);

    // The system applies them to a window with a sizing border.
    ::SetWindowPos(dialog, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT window = run.dialog.GetWindowRect();
    EXPECT_EQ(Width(window), 300);
    EXPECT_EQ(Height(window), 220);
}

TEST(VistaDialog, BandIsTwentyNineDialogUnitsOrTheHeightSet) {
    Modeless<riviru::CVistaDialog> run(DialogTemplate(true));
    ASSERT_TRUE(run.created);
    const RECT client = run.dialog.GetClientRect();
    const int bandHeight = run.dialog.MapDialogRect(RECT{0, 0, 0, 29}).bottom;
    ASSERT_GT(bandHeight, 29);  // dialog units are larger than pixels here

    RECT content{};
    RECT band{};
    run.dialog.GetAreas(&content, &band);
    EXPECT_EQ(content.top, client.top);
    EXPECT_EQ(content.bottom, client.bottom - bandHeight);
    EXPECT_EQ(band.top, client.bottom - bandHeight);
    EXPECT_EQ(band.bottom, client.bottom);
    EXPECT_EQ(band.left, client.left);
    EXPECT_EQ(band.right, client.right);

    run.dialog.SetBandHeight(40);
    run.dialog.GetAreas(nullptr, &band);
    EXPECT_EQ(Height(band), 40);
    run.dialog.SetBandHeight(-1);
    run.dialog.GetAreas(&content, nullptr);
    EXPECT_EQ(content.bottom, client.bottom - bandHeight);
}

TEST(VistaDialog, StaticsAndButtonsGetTheBackgroundOfTheirBand) {
    // 120 dialog units high: the band begins 29 units above the bottom.
    const std::vector<DialogTemplateBuilder::Item> items = {
        Control(200, ControlClass::Static, 5, 5, 100, 10),
        Control(201, ControlClass::Static, 5, 100, 100, 10),
        Control(202, ControlClass::Button, 5, 80, 50, 14),  // top above the band, reaching into it
        Control(203, ControlClass::Button, 140, 100, 50, 14),
    };
    Modeless<riviru::CVistaDialog> run(DialogTemplate(false, items));
    ASSERT_TRUE(run.created);
    HWND dialog = run.dialog.GetSafeHwnd();
    const struct {
        int id;
        UINT message;
        bool content;
    } cases[] = {
        {200, WM_CTLCOLORSTATIC, true},
        {201, WM_CTLCOLORSTATIC, false},
        {202, WM_CTLCOLORBTN, true},
        {203, WM_CTLCOLORBTN, false},
    };
    for (const auto& c : cases) {
        HWND control = ::GetDlgItem(dialog, c.id);
        HDC dc = ::GetDC(control);
        ASSERT_NE(dc, nullptr);
        ::SetBkColor(dc, RGB(1, 2, 3));
        const auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
            dialog, c.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
        EXPECT_EQ(brush, c.content ? run.dialog.GetContentBrush() : run.dialog.GetBandBrush()) << c.id;
        EXPECT_EQ(::GetBkColor(dc), c.content ? run.dialog.GetContentColor() : run.dialog.GetBandColor())
            << c.id;
        ::ReleaseDC(control, dc);
    }
}

TEST(VistaDialog, ErasesContentSeparatorAndBand) {
    Modeless<riviru::CVistaDialog> run(DialogTemplate(false));
    ASSERT_TRUE(run.created);
    // Colours that a screen of any depth shows exactly.
    run.dialog.SetContentColor(RGB(255, 255, 255));
    run.dialog.SetSeparatorColor(RGB(255, 0, 0));
    run.dialog.SetBandColor(RGB(0, 0, 255));
    RECT client = run.dialog.GetClientRect();
    RECT band{};
    run.dialog.GetAreas(nullptr, &band);

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, Width(client), Height(client));
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::SendMessageW(run.dialog.GetSafeHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    const int rows = riviru::DpiScale(::GetDeviceCaps(memory, LOGPIXELSX)).Scale(1);
    EXPECT_EQ(::GetPixel(memory, 10, 10), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(memory, 10, band.top - 1), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(memory, 10, band.top), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(memory, 10, band.top + rows - 1), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(memory, 10, band.top + rows), RGB(0, 0, 255));
    EXPECT_EQ(::GetPixel(memory, 10, client.bottom - 1), RGB(0, 0, 255));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
}

TEST(VistaDialog, ColoursChosenByTheDialogSurviveAThemeChange) {
    Modeless<riviru::CVistaDialog> run(DialogTemplate(false));
    ASSERT_TRUE(run.created);
    const riviru::DialogColors scheme = riviru::CVistaDialog::SystemColors();
    EXPECT_EQ(run.dialog.GetContentColor(),
              RGB(scheme.content.red, scheme.content.green, scheme.content.blue));
    EXPECT_EQ(run.dialog.GetBandColor(), RGB(scheme.band.red, scheme.band.green, scheme.band.blue));

    const COLORREF chosen = RGB(12, 34, 56);
    run.dialog.SetContentColor(chosen);
    HBRUSH bandBrush = run.dialog.GetBandBrush();
    ::SendMessageW(run.dialog.GetSafeHwnd(), WM_THEMECHANGED, 0, 0);
    // The system colours did not change: the default band colour stays, and
    // the dialog's own content colour is kept.
    EXPECT_EQ(run.dialog.GetContentColor(), chosen);
    EXPECT_EQ(run.dialog.GetBandColor(), RGB(scheme.band.red, scheme.band.green, scheme.band.blue));
    EXPECT_NE(run.dialog.GetContentBrush(), nullptr);
    EXPECT_EQ(run.dialog.GetBandBrush(), bandBrush);
}

TEST(FontOccManager, DialogsGetTheSystemMessageFont) {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(::GetVersionExW(&version));
    if (version.dwMajorVersion < 6) GTEST_SKIP() << "the message font applies from Windows Vista on";
    const auto messageFont = riviru::CFontOccManager::SystemMessageFont();
    ASSERT_TRUE(messageFont.has_value());

    DialogTemplateBuilder builder =
        DialogTemplate(false, {Control(300, ControlClass::Static, 5, 5, 100, 10)});
    builder.typeface = L"Courier New";  // surely not the message font
    builder.pointSize = 14;
    ASSERT_NE(messageFont->typeface, builder.typeface);

    riviru::CFontOccManager manager;
    fw::COccManager* previous = fw::AfxGetOccManager();
    fw::AfxEnableControlContainer(&manager);
    Modeless<riviru::CResizeDlg> run(builder);
    fw::AfxEnableControlContainer(previous);
    ASSERT_TRUE(run.created);

    LOGFONTW font{};
    ASSERT_NE(::GetObjectW(run.dialog.GetFont(), sizeof font, &font), 0);
    EXPECT_EQ(std::wstring(font.lfFaceName), messageFont->typeface);
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(font.lfHeight, -::MulDiv(messageFont->pointSize, dpi, 72));

    // Without the manager the template's own font is used.
    Modeless<riviru::CResizeDlg> plain(builder);
    ASSERT_TRUE(plain.created);
    ASSERT_NE(::GetObjectW(plain.dialog.GetFont(), sizeof font, &font), 0);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Courier New");
}

TEST(ThemedBorderHelper, TakesTheBorderWhileAThemeIsOpenAndGivesItBack) {
    const std::vector<DialogTemplateBuilder::Item> items = {
        Control(400, ControlClass::Edit, 5, 5, 100, 14, 0, WS_EX_CLIENTEDGE),
        Control(401, ControlClass::Edit, 5, 25, 100, 14),  // no border at all
    };
    Modeless<riviru::CResizeDlg> run(DialogTemplate(false, items));
    ASSERT_TRUE(run.created);
    HWND bordered = ::GetDlgItem(run.dialog.GetSafeHwnd(), 400);
    HWND plain = ::GetDlgItem(run.dialog.GetSafeHwnd(), 401);

    // A control without border styles is left alone.
    riviru::CThemedBorderHelper plainHelper(L"EDIT", 6, 1, 4, 3, 2);
    ASSERT_TRUE(plainHelper.Attach(plain));
    EXPECT_FALSE(plainHelper.HasBorder());
    EXPECT_FALSE(plainHelper.IsThemed());
    EXPECT_EQ(::GetWindowLongPtrW(plain, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);

    riviru::CThemedBorderHelper helper(L"EDIT", 6, 1, 4, 3, 2);
    ASSERT_TRUE(helper.Attach(bordered));
    EXPECT_TRUE(helper.HasBorder());
    const auto exStyle = [&] { return ::GetWindowLongPtrW(bordered, GWL_EXSTYLE) & WS_EX_CLIENTEDGE; };

    // Whether visual styles are on depends on the machine (a Wine prefix has
    // its Light theme on or off): the test checks the side it finds, and
    // then takes the theme away from the control alone.
    if (!::IsThemeActive()) {
        EXPECT_FALSE(helper.IsThemed());
        EXPECT_NE(exStyle(), 0) << "without visual styles the classic border stays";
        GTEST_SKIP() << "visual styles are off: the themed border cannot be shown here";
    }
    ASSERT_TRUE(helper.IsThemed());
    EXPECT_EQ(exStyle(), 0);
    const RECT insets = helper.GetBorderInsets();
    EXPECT_GT(insets.left, 0);
    RECT window{};
    RECT client{};
    ::GetWindowRect(bordered, &window);
    ::GetClientRect(bordered, &client);
    EXPECT_EQ(Width(client), Width(window) - insets.left - insets.right);
    EXPECT_EQ(Height(client), Height(window) - insets.top - insets.bottom);
    ::RedrawWindow(bordered, nullptr, nullptr,
                   RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);  // paints without harm

    // A class list that names no class leaves the control without a theme;
    // the theme-change notice that follows gives the border back.
    ASSERT_EQ(::SetWindowTheme(bordered, L" ", L" "), S_OK);
    Pump();
    ::SendMessageW(bordered, WM_THEMECHANGED, 0, 0);
    EXPECT_FALSE(helper.IsThemed());
    EXPECT_NE(exStyle(), 0);
    ::GetWindowRect(bordered, &window);
    ::GetClientRect(bordered, &client);
    EXPECT_LT(Width(client), Width(window));  // the classic edge is back in the frame

    // The theme returns: the border is taken again.
    ASSERT_EQ(::SetWindowTheme(bordered, nullptr, nullptr), S_OK);
    Pump();
    ::SendMessageW(bordered, WM_THEMECHANGED, 0, 0);
    EXPECT_TRUE(helper.IsThemed());
    EXPECT_EQ(exStyle(), 0);
}

TEST(ThemedBorderHelper, DetachesWhenTheControlIsDestroyed) {
    Modeless<riviru::CResizeDlg> run(
        DialogTemplate(false, {Control(400, ControlClass::Edit, 5, 5, 100, 14, 0, WS_EX_CLIENTEDGE)}));
    ASSERT_TRUE(run.created);
    HWND edit = ::GetDlgItem(run.dialog.GetSafeHwnd(), 400);
    riviru::CThemedBorderHelper helper(L"EDIT", 6, 1, 4, 3, 2);
    ASSERT_TRUE(helper.Attach(edit));
    EXPECT_FALSE(helper.Attach(edit));  // once only
    EXPECT_EQ(helper.GetAttachedWindow(), edit);
    ::DestroyWindow(edit);
    EXPECT_EQ(helper.GetAttachedWindow(), nullptr);
    EXPECT_FALSE(helper.IsThemed());
    EXPECT_FALSE(helper.Detach());
}

namespace {

// Counts the messages of one kind that reach it.
class CountingHook : public riviru::WndSubClass {
public:
    explicit CountingHook(UINT watched) : watched_(watched) {}
    bool HookProc(HWND, UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == watched_) ++count;
        return false;
    }
    int count = 0;

private:
    UINT watched_;
};

}  // namespace

TEST(WndSubClass, HooksOnOneWindowStayApart) {
    Modeless<riviru::CResizeDlg> run(
        DialogTemplate(false, {Control(500, ControlClass::Static, 5, 5, 50, 10)}));
    ASSERT_TRUE(run.created);
    HWND control = ::GetDlgItem(run.dialog.GetSafeHwnd(), 500);
    CountingHook first(WM_APP + 7);
    CountingHook second(WM_APP + 7);
    ASSERT_TRUE(first.Attach(control));
    ASSERT_TRUE(second.Attach(control));
    ::SendMessageW(control, WM_APP + 7, 0, 0);
    EXPECT_EQ(first.count, 1);
    EXPECT_EQ(second.count, 1);
    // Removing one leaves the other in place.
    ASSERT_TRUE(first.Detach());
    ::SendMessageW(control, WM_APP + 7, 0, 0);
    EXPECT_EQ(first.count, 1);
    EXPECT_EQ(second.count, 2);
}
