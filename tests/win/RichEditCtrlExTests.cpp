// The text control: its class, link ranges and their urls, label mode, the
// link click with a handler and the hit-testing of links in label mode.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "riviru/ui/RichEditCtrlEx.h"

namespace {

// A top-level window that records the EN_LINK notifications of its children.
class LinkRecorder : public fw::CWnd {
public:
    std::vector<ENLINK> links;

protected:
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* result) override {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code != EN_LINK) return FALSE;
        links.push_back(*reinterpret_cast<const ENLINK*>(lParam));
        *result = 0;
        return TRUE;
    }
};

class RichEditCtrlExTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"parent", WS_POPUP, RECT{0, 0, 640, 400}, nullptr, 0));
        ASSERT_TRUE(text.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_TABSTOP,
                                RECT{0, 0, 600, 300}, parent, 1001));
    }
    void TearDown() override {
        if (parent.GetSafeHwnd() != nullptr) ::DestroyWindow(parent.GetSafeHwnd());
    }

    static ENLINK Click(CHARRANGE range, UINT message = WM_LBUTTONDOWN) {
        ENLINK link{};
        link.nmhdr.code = EN_LINK;
        link.msg = message;
        link.chrg = range;
        return link;
    }

    LinkRecorder parent;
    riviru::CRichEditCtrlEx text;
};

}  // namespace

TEST_F(RichEditCtrlExTest, IsARichEditOfVersionFive) {
    wchar_t name[64] = {};
    ::GetClassNameW(text.GetSafeHwnd(), name, 64);
    EXPECT_EQ(::lstrcmpiW(name, L"RICHEDIT50W"), 0) << name;
    EXPECT_EQ(fw::CWnd::FromHandlePermanent(text.GetSafeHwnd()), &text);
}

TEST_F(RichEditCtrlExTest, LinkRangesGiveTheirUrlAndText) {
    text.SetRtfText("{\\rtf1 HYPERLINK \"http://a.example/x y\"Shown text\\par www.example.com/p q\\par }");
    const std::wstring all = text.GetTextRange(0, text.GetTextLength());
    const auto field = static_cast<LONG>(all.find(L"HYPERLINK"));
    const auto fieldEnd = static_cast<LONG>(all.find(L'\r'));
    auto target = text.GetLinkAt(CHARRANGE{field, fieldEnd});
    EXPECT_EQ(target.url, L"http://a.example/x y");
    EXPECT_EQ(target.text, L"Shown text");
    const auto plain = static_cast<LONG>(all.find(L"www."));
    target = text.GetLinkAt(CHARRANGE{plain, plain + 19});
    EXPECT_EQ(target.url, L"http://www.example.com/p");
    EXPECT_EQ(target.text, L"www.example.com/p q");
}

TEST_F(RichEditCtrlExTest, LinkMarkupBecomesClickableLinks) {
    text.SetRtfText("{\\rtf1 Open #LINK#the \\{folder\\}#file:///C:/x/## or <LINK  this|http://y/> now\\par }");
    const std::wstring all = text.GetTextRange(0, -1);
    EXPECT_EQ(all.find(L"#LINK#"), std::wstring::npos) << all;
    EXPECT_EQ(all.find(L"<LINK"), std::wstring::npos) << all;
    EXPECT_NE(all.find(L"Open "), std::wstring::npos) << all;
    EXPECT_NE(all.find(L" now"), std::wstring::npos) << all;
    const auto first = static_cast<LONG>(all.find(L"the {folder}"));
    const auto second = static_cast<LONG>(all.find(L"this"));
    if (all.find(L"HYPERLINK") != std::wstring::npos) {
        // A control that keeps the fields: their instructions carry the urls.
        EXPECT_NE(all.find(L"*KVLINKEND"), std::wstring::npos) << all;
        return;
    }
    // A control that drops the fields (Wine's) shows each link's text alone,
    // marked as a link by the control itself, and knows its url.
    ASSERT_NE(first, -1) << all;
    ASSERT_NE(second, -1) << all;
    EXPECT_EQ(all.find(L"KVLINKEND"), std::wstring::npos) << all;
    const riviru::LinkTarget folder = text.GetLinkAt(CHARRANGE{first, first + 12});
    EXPECT_EQ(folder.url, L"file:///C:/x/");
    EXPECT_EQ(folder.text, L"the {folder}");
    EXPECT_EQ(text.GetLinkAt(CHARRANGE{second + 1, second + 2}).url, L"http://y/");
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    text.SetSel(second, second + 4);
    text.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_NE(format.dwEffects & CFE_LINK, 0u);
    // An incomplete markup stays as typed.
    text.SetRtfText("{\\rtf1 <LINK a|b\\par }");
    EXPECT_EQ(text.GetTextRange(0, -1).substr(0, 9), L"<LINK a|b");
}

TEST_F(RichEditCtrlExTest, LabelModeLooksLikeAStaticAndBack) {
    const LRESULT normalCode = text.SendMessage(WM_GETDLGCODE);
    text.SetLabelMode(true);
    EXPECT_TRUE(text.IsLabelMode());
    EXPECT_EQ(text.GetStyle() & WS_TABSTOP, 0u);
    EXPECT_NE(text.GetStyle() & ES_READONLY, 0u);
    const LRESULT labelCode = text.SendMessage(WM_GETDLGCODE);
    EXPECT_EQ(labelCode & (DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_HASSETSEL), 0);
    text.SetLabelMode(false);
    EXPECT_NE(text.GetStyle() & WS_TABSTOP, 0u);
    EXPECT_EQ(text.GetStyle() & ES_READONLY, 0u);
    EXPECT_EQ(text.SendMessage(WM_GETDLGCODE), normalCode);
}

TEST_F(RichEditCtrlExTest, ButtonDownOnALinkCallsTheHandlerWithTheUrl) {
    text.SetRtfText("{\\rtf1 www.example.com and file:///C:/Data/Read%20me.txt\\par }");
    const std::wstring all = text.GetTextRange(0, text.GetTextLength());
    const auto file = static_cast<LONG>(all.find(L"file:"));
    std::vector<std::wstring> urls;
    const auto handler = [&urls](const std::wstring& url, const std::wstring&) {
        urls.push_back(url);
        return true;
    };
    LRESULT result = 7;
    text.OnLinkNotify(parent, Click(CHARRANGE{0, 15}, WM_MOUSEMOVE), &result, handler);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(urls.empty());
    text.OnLinkNotify(parent, Click(CHARRANGE{0, 15}), &result, handler);
    const CHARRANGE fileRange{file, file + 29};
    ASSERT_EQ(text.GetLinkAt(fileRange).url, L"file:///C:/Data/Read%20me.txt");
    text.OnLinkNotify(parent, Click(fileRange), &result, handler);
    EXPECT_EQ(urls, (std::vector<std::wstring>{L"http://www.example.com", L"C:\\Data\\Read me.txt"}));
    text.OnLinkNotify(parent, Click(CHARRANGE{3, 3}), &result, handler);  // empty url: nothing
    EXPECT_EQ(urls.size(), 2u);
}

TEST_F(RichEditCtrlExTest, LabelModeClickOnADetectedLinkNotifiesTheParentWithTheWholeRange) {
    text.SetAutoUrlDetect(true);
    text.SetRtfText("{\\rtf1 Visit www.example.com today\\par }");
    text.SetEventMask(ENM_LINK);
    text.SetLabelMode(true);
    const POINT onLink = text.PosFromChar(10);
    const POINT beside = text.PosFromChar(2);
    text.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(beside.x + 1, beside.y + 2));
    EXPECT_TRUE(parent.links.empty());
    text.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onLink.x + 1, onLink.y + 2));
    ASSERT_EQ(parent.links.size(), 1u);
    const ENLINK& link = parent.links.front();
    EXPECT_EQ(link.nmhdr.hwndFrom, text.GetSafeHwnd());
    EXPECT_EQ(link.nmhdr.idFrom, 1001u);
    EXPECT_EQ(link.msg, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(link.chrg.cpMin, 6);
    EXPECT_EQ(link.chrg.cpMax, 21);
    EXPECT_EQ(text.GetLinkAt(link.chrg).url, L"http://www.example.com");
    // Without link notifications the control does not look for links.
    text.SetEventMask(0);
    text.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onLink.x + 1, onLink.y + 2));
    EXPECT_EQ(parent.links.size(), 1u);
}
