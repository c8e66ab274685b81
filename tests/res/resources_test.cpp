// tolvane.exe's compiled resources, linked into this test and read back the
// way the program reads them: the menu's items, texts and starting state, the
// accelerators, the string table, the icon and the dialog templates. The texts
// pass from the code page 1250 master through windres into UTF-16; a wrong
// code page there turns ő and ű into other letters, which these tests catch.
#ifndef UNICODE
#define UNICODE  // the resource type names (RT_DIALOG …) in their UTF-16 form
#endif
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "app/menustate.h"
#include "res/codepage.h"
#include "res/resource.h"
#include "res/strings.h"
#include "res/strtable.h"

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

// A text of the master as the window code shows it.
std::wstring MasterText(int id) {
  const char* text = LoadText(id);
  const std::u16string wide = text ? Utf16FromCp1250(text) : std::u16string();
  return std::wstring(wide.begin(), wide.end());
}

struct MenuDeleter {
  void operator()(HMENU m) const { DestroyMenu(m); }
};
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

MenuHandle LoadMainMenu() { return MenuHandle(LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_MAINMENU))); }

std::wstring ItemText(HMENU menu, UINT item, bool byPosition) {
  wchar_t buf[256] = {};
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_STRING;
  mii.dwTypeData = buf;
  mii.cch = 255;
  if (!GetMenuItemInfoW(menu, item, byPosition, &mii)) return L"<missing>";
  return buf;
}

// The command ids of a popup's items by position; 0 for a separator, -1 for
// a popup.
std::vector<int> ItemIds(HMENU menu) {
  std::vector<int> ids;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii);
    ids.push_back(mii.hSubMenu ? -1 : (mii.fType & MFT_SEPARATOR) ? 0 : static_cast<int>(mii.wID));
  }
  return ids;
}

TEST(MenuResource, PopupsSitWhereTheWindowCodeLooksForThem) {
  MenuHandle menu = LoadMainMenu();
  ASSERT_TRUE(menu);
  HMENU bar = menu.get();
  EXPECT_EQ(ItemIds(bar), (std::vector<int>{-1, -1, -1}));
  EXPECT_EQ(ItemText(bar, 0, true), L"&Fájl");
  EXPECT_EQ(ItemText(bar, MENU_POS_OPERATION, true), L"&Művelet");
  EXPECT_EQ(ItemText(bar, 2, true), L"&Egyéb");

  HMENU file = GetSubMenu(bar, 0);
  HMENU operation = GetSubMenu(bar, MENU_POS_OPERATION);
  HMENU other = GetSubMenu(bar, 2);
  ASSERT_TRUE(file && operation && other);
  EXPECT_EQ(ItemIds(file), (std::vector<int>{IDM_FILE_OPEN, IDM_FILE_SAVE, 0, IDM_FILE_EXIT}));
  EXPECT_EQ(ItemIds(operation),
            (std::vector<int>{-1, -1, 0, IDM_PARTNERS, IDM_BUS_PARAMETERS, 0, IDM_CPU_STATE, IDM_CPU_START,
                              IDM_CPU_STOP, IDM_CPU_INFO, IDM_DIAG_BUFFER, 0, IDM_GET_CLOCK, IDM_SET_CLOCK, 0,
                              IDM_LOGIN, IDM_LOGOUT, 0, IDM_READ, IDM_WRITE}));
  EXPECT_EQ(ItemIds(other), (std::vector<int>{-1, IDM_TRACE, 0, IDM_ABOUT}));

  EXPECT_EQ(ItemText(operation, 0, true), L"&Illesztő");
  EXPECT_EQ(ItemIds(GetSubMenu(operation, 0)), (std::vector<int>{IDM_INTERFACE_OPEN, IDM_INTERFACE_CLOSE}));
  EXPECT_EQ(ItemText(operation, MENU_POS_CONNECTION, true), L"&Kapcsolat");
  EXPECT_EQ(ItemIds(GetSubMenu(operation, MENU_POS_CONNECTION)),
            (std::vector<int>{IDM_CONNECTION_OPEN, IDM_CONNECTION_CLOSE, IDM_CONNECTION_MODIFY, 0, IDM_CONNECT,
                              IDM_DISCONNECT}));
  EXPECT_EQ(ItemText(other, 0, true), L"&Font");
  EXPECT_EQ(ItemIds(GetSubMenu(other, 0)), (std::vector<int>{IDM_FONT_SMALL, IDM_FONT_NORMAL, IDM_FONT_LARGE}));

  // Nothing is open at start: the connection popup itself is grayed.
  EXPECT_TRUE(GetMenuState(operation, MENU_POS_CONNECTION, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(operation, 0, MF_BYPOSITION) & MF_GRAYED);
}

TEST(MenuResource, EveryCommandHasItsMasterTextAndStartingState) {
  MenuHandle menu = LoadMainMenu();
  ASSERT_TRUE(menu);
  constexpr bool G = true;  // grayed at start
  constexpr bool C = true;  // checked at start
  const struct {
    int id;
    bool grayed;
    bool checked;
  } kItems[] = {
      {IDM_FILE_OPEN, !G, !C},      {IDM_FILE_SAVE, G, !C},         {IDM_FILE_EXIT, !G, !C},
      {IDM_INTERFACE_OPEN, !G, !C}, {IDM_INTERFACE_CLOSE, G, !C},   {IDM_CONNECTION_OPEN, G, !C},
      {IDM_CONNECTION_CLOSE, G, !C}, {IDM_CONNECTION_MODIFY, G, !C}, {IDM_CONNECT, G, !C},
      {IDM_DISCONNECT, G, !C},      {IDM_PARTNERS, G, !C},          {IDM_BUS_PARAMETERS, G, !C},
      {IDM_CPU_STATE, G, !C},       {IDM_CPU_START, G, !C},         {IDM_CPU_STOP, G, !C},
      {IDM_GET_CLOCK, G, !C},       {IDM_SET_CLOCK, G, !C},         {IDM_LOGIN, G, !C},
      {IDM_LOGOUT, G, !C},          {IDM_READ, G, !C},              {IDM_WRITE, G, !C},
      {IDM_FONT_SMALL, !G, !C},     {IDM_FONT_NORMAL, !G, C},       {IDM_FONT_LARGE, !G, !C},
      {IDM_ABOUT, !G, !C},          {IDM_CPU_INFO, G, !C},          {IDM_DIAG_BUFFER, G, !C},
      {IDM_TRACE, !G, !C},
  };
  static_assert(std::size(kItems) == IDM_LAST - IDM_FIRST + 1);
  for (const auto& item : kItems) {
    SCOPED_TRACE(item.id);
    const std::wstring master = MasterText(item.id);
    ASSERT_FALSE(master.empty()) << "the master has no text for the command";
    EXPECT_EQ(ItemText(menu.get(), static_cast<UINT>(item.id), false), master);
    const UINT state = GetMenuState(menu.get(), static_cast<UINT>(item.id), MF_BYCOMMAND);
    ASSERT_NE(state, static_cast<UINT>(-1)) << "no item with this id";
    EXPECT_EQ((state & MF_GRAYED) != 0, item.grayed);
    EXPECT_EQ((state & MF_CHECKED) != 0, item.checked);
  }
  // The same texts written here by hand: the letters of code page 1250 that
  // Latin-1 lacks must arrive as themselves.
  EXPECT_EQ(ItemText(menu.get(), IDM_PARTNERS, false), L"&Résztvevők");
  EXPECT_EQ(ItemText(menu.get(), IDM_SET_CLOCK, false), L"Óra beállítás");
  EXPECT_EQ(ItemText(menu.get(), IDM_WRITE, false), L"Írás\tCtrl+W");
  EXPECT_EQ(ItemText(menu.get(), IDM_ABOUT, false), L"&Névjegy\t?");
  EXPECT_EQ(ItemText(menu.get(), IDM_DIAG_BUFFER, false), L"Diagnosztikai puffer");
  // The trace, beyond the classic commands: on at any time, off at start.
  EXPECT_EQ(ItemText(menu.get(), IDM_TRACE, false), L"&Nyomkövetés...");
  EXPECT_EQ(GetMenuState(menu.get(), IDM_TRACE, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED), 0u);
}

TEST(AcceleratorResource, HoldsTheSixKeysOfTheMainWindow) {
  HACCEL table = LoadAcceleratorsW(Module(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  ACCEL got[16] = {};
  const int n = CopyAcceleratorTableW(table, got, 16);
  const ACCEL kWant[] = {
      {FVIRTKEY | FCONTROL | FNOINVERT, 'L', IDM_FILE_OPEN},
      {FVIRTKEY | FCONTROL | FNOINVERT, 'S', IDM_FILE_SAVE},
      {FVIRTKEY | FCONTROL | FNOINVERT, 'R', IDM_READ},
      {FVIRTKEY | FCONTROL | FNOINVERT, 'W', IDM_WRITE},
      {FNOINVERT, '?', IDM_ABOUT},  // a character, not a key
      {FVIRTKEY | FALT | FNOINVERT, 'X', IDM_FILE_EXIT},
  };
  ASSERT_EQ(n, static_cast<int>(std::size(kWant)));
  for (int i = 0; i < n; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].fVirt, kWant[i].fVirt);
    EXPECT_EQ(got[i].key, kWant[i].key);
    EXPECT_EQ(got[i].cmd, kWant[i].cmd);
  }
  DestroyAcceleratorTable(table);
}

std::wstring ResourceString(int id) {
  const wchar_t* text = nullptr;
  const int n = LoadStringW(Module(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

TEST(StringResource, HoldsEveryTextOfTheMaster) {
  EXPECT_EQ(ResourceString(1000), L"TOLVANE");
  EXPECT_EQ(ResourceString(1001), L"Tolvane");
  EXPECT_EQ(ResourceString(1113), L"Log ablak létrehozási hiba!");
  EXPECT_EQ(ResourceString(10029), L"A válasz mérete nem egyezik a számítottal");
  EXPECT_EQ(ResourceString(1117), L"I'm sorry. I made a mistake. :-(\r\nUnhandled exception");
  for (int i = 0; i < kResStringCount; ++i) {
    SCOPED_TRACE(kResStrings[i].id);
    EXPECT_EQ(ResourceString(kResStrings[i].id), MasterText(kResStrings[i].id));
  }
}

TEST(IconResource, LoadsAtBothSizes) {
  for (int size : {16, 32}) {
    SCOPED_TRACE(size);
    HICON icon = static_cast<HICON>(
        LoadImageW(Module(), MAKEINTRESOURCEW(IDI_TOLVANE), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, size);
    EXPECT_EQ(bm.bmHeight, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  // Exactly the two images: the group directory lists them.
  HRSRC group = FindResourceW(Module(), MAKEINTRESOURCEW(IDI_TOLVANE), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  const auto* dir = static_cast<const WORD*>(LockResource(LoadResource(Module(), group)));
  EXPECT_EQ(dir[2], 2);
}

// A DIALOGEX template taken apart: what the window code and the user get.
struct TemplateItem {
  DWORD style;
  short x, y, cx, cy;
  DWORD id;
  std::wstring cls;   // "#128" etc. for the predefined classes
  std::wstring text;  // "#100" for a resource ordinal
};
struct DialogTemplate {
  DWORD style;
  short cx, cy;
  std::wstring title;
  WORD pointSize;
  std::wstring font;
  std::vector<TemplateItem> items;
};

class TemplateReader {
 public:
  TemplateReader(const BYTE* data, std::size_t size) : p_(data), end_(data + size) {}
  template <typename T>
  T Take() {
    T v{};
    if (p_ + sizeof(T) > end_) throw std::out_of_range("template cut short");
    std::memcpy(&v, p_, sizeof(T));
    p_ += sizeof(T);
    return v;
  }
  // A zero-terminated text, or 0xFFFF and an ordinal ("#N").
  std::wstring NameOrOrdinal() {
    const WORD first = Take<WORD>();
    if (first == 0xFFFF) return L"#" + std::to_wstring(Take<WORD>());
    std::wstring s;
    for (WORD c = first; c != 0; c = Take<WORD>()) s += static_cast<wchar_t>(c);
    return s;
  }
  void AlignDword(const BYTE* base) {
    while ((p_ - base) % 4) ++p_;
  }
  void Skip(std::size_t n) { p_ += n; }

 private:
  const BYTE* p_;
  const BYTE* end_;
};

DialogTemplate ReadDialog(int id) {
  HRSRC res = FindResourceW(Module(), MAKEINTRESOURCEW(id), RT_DIALOG);
  if (!res) throw std::runtime_error("no dialog template " + std::to_string(id));
  const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(Module(), res)));
  TemplateReader r(base, SizeofResource(Module(), res));
  if (r.Take<WORD>() != 1 || r.Take<WORD>() != 0xFFFF) throw std::runtime_error("not a DIALOGEX");
  DialogTemplate d{};
  r.Take<DWORD>();  // help id
  r.Take<DWORD>();  // extended style
  d.style = r.Take<DWORD>();
  const WORD count = r.Take<WORD>();
  r.Take<short>();
  r.Take<short>();
  d.cx = r.Take<short>();
  d.cy = r.Take<short>();
  r.NameOrOrdinal();  // menu
  r.NameOrOrdinal();  // class
  d.title = r.NameOrOrdinal();
  if (d.style & DS_SETFONT) {
    d.pointSize = r.Take<WORD>();
    r.Take<WORD>();  // weight
    r.Take<BYTE>();  // italic
    r.Take<BYTE>();  // character set
    d.font = r.NameOrOrdinal();
  }
  for (WORD i = 0; i < count; ++i) {
    r.AlignDword(base);
    TemplateItem item{};
    r.Take<DWORD>();  // help id
    r.Take<DWORD>();  // extended style
    item.style = r.Take<DWORD>();
    item.x = r.Take<short>();
    item.y = r.Take<short>();
    item.cx = r.Take<short>();
    item.cy = r.Take<short>();
    item.id = r.Take<DWORD>();
    item.cls = r.NameOrOrdinal();
    item.text = r.NameOrOrdinal();
    r.Skip(r.Take<WORD>());  // creation data
    d.items.push_back(item);
  }
  return d;
}

const TemplateItem* Item(const DialogTemplate& d, DWORD id) {
  for (const TemplateItem& item : d.items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

// A predefined class, named by its ordinal or by its name.
bool IsClass(const TemplateItem& item, const wchar_t* ordinal, const wchar_t* name) {
  return item.cls == ordinal || _wcsicmp(item.cls.c_str(), name) == 0;
}
bool IsButton(const TemplateItem& item) { return IsClass(item, L"#128", L"Button"); }
bool IsStatic(const TemplateItem& item) { return IsClass(item, L"#130", L"Static"); }

// Size and title as given, and what every dialog has: the font and the
// etched separator line.
void ExpectFrame(const DialogTemplate& d, short cx, short cy, const std::wstring& title) {
  EXPECT_EQ(d.cx, cx);
  EXPECT_EQ(d.cy, cy);
  EXPECT_EQ(d.title, title);
  EXPECT_EQ(d.font, L"MS Shell Dlg");
  EXPECT_EQ(d.pointSize, 10);
  const TemplateItem* line = Item(d, IDC_SEPARATOR);
  ASSERT_NE(line, nullptr) << "no separator";
  EXPECT_TRUE(IsStatic(*line));
  EXPECT_EQ(line->style & SS_TYPEMASK, static_cast<DWORD>(SS_ETCHEDHORZ));
}

// ExpectFrame and the "&OK" and "&Mégsem" buttons of a dialog that asks.
DialogTemplate ExpectOkCancelDialog(int id, short cx, short cy, const wchar_t* title) {
  SCOPED_TRACE(id);
  const DialogTemplate d = ReadDialog(id);
  ExpectFrame(d, cx, cy, title);
  const TemplateItem* ok = Item(d, IDOK);
  const TemplateItem* cancel = Item(d, IDCANCEL);
  EXPECT_TRUE(ok && cancel);
  EXPECT_EQ(ok ? ok->text : L"", L"&OK");
  EXPECT_EQ(cancel ? cancel->text : L"", L"&Mégsem");
  return d;
}

TEST(DialogResource, AboutBox) {
  const DialogTemplate d = ReadDialog(IDD_ABOUT);
  ExpectFrame(d, 160, 80, L"Tolvane névjegy");
  const TemplateItem* icon = Item(d, IDC_ABOUT_ICON);
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(IsStatic(*icon));
  EXPECT_EQ(icon->style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
  EXPECT_EQ(icon->text, L"#" + std::to_wstring(IDI_TOLVANE));
  const TemplateItem* version = Item(d, IDC_ABOUT_VERSION);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->text, L"Tolvane V1.00 (Build 69)");
  EXPECT_EQ(version->style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
  const TemplateItem* name = Item(d, IDC_ABOUT_NAME);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text, L"Tolvane");
  EXPECT_GT(name->y, version->y);
  const TemplateItem* ok = Item(d, IDOK);
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(IsButton(*ok));
  EXPECT_EQ(ok->text, L"O&k");
  EXPECT_EQ(ok->style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
}

TEST(DialogResource, PlcChoice) {
  const DialogTemplate d = ReadDialog(IDD_PLC_CHOICE);
  ExpectFrame(d, 250, 65, L"Plc kiválasztása");
  const TemplateItem* current = Item(d, IDC_CHOICE_CURRENT);
  const TemplateItem* saved = Item(d, IDC_CHOICE_SAVED);
  ASSERT_TRUE(current && saved);
  for (const TemplateItem* radio : {current, saved}) {
    EXPECT_TRUE(IsButton(*radio));
    EXPECT_EQ(radio->style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTORADIOBUTTON));
    EXPECT_EQ(radio->cx, 230);
  }
  EXPECT_EQ(current->x, saved->x);
  EXPECT_GE(saved->y, current->y + current->cy) << "one above the other";
  EXPECT_TRUE(current->style & WS_GROUP);
  const TemplateItem* ok = Item(d, IDOK);
  const TemplateItem* cancel = Item(d, IDCANCEL);
  ASSERT_TRUE(ok && cancel);
  EXPECT_EQ(ok->text, L"&OK");
  EXPECT_EQ(cancel->text, L"&Mégsem");
}

// The parameter dialogs: size and title, the radio buttons of each choice,
// and the common controls with the styles the window code relies on.
TEST(DialogResource, ParameterDialogs) {
  const struct {
    int id;
    short cx, cy;
    const wchar_t* title;
  } kFrames[] = {
      {IDD_INTERFACE, 135, 65, L"Illesztő kiválasztása"},
      {IDD_CONNECTION, 196, 126, L"PLC kapcsolat"},
      {IDD_CPU_START, 175, 50, L"Start CPU"},
      {IDD_CLOCK, 140, 80, L"Óra beállítása"},
      {IDD_LOGIN, 130, 50, L"Login"},
  };
  for (const auto& frame : kFrames) ExpectOkCancelDialog(frame.id, frame.cx, frame.cy, frame.title);

  const struct {
    int dialog;
    int first, last;
    std::vector<std::wstring> texts;
  } kRadios[] = {
      {IDD_INTERFACE, IDC_IF_TCP, IDC_IF_CP_L2_2, {L"TCP", L"S7OLINE", L"CP_L2_1", L"CP_L2_2"}},
      {IDD_CPU_START, IDC_START_WARM, IDC_START_COLD, {L"Warm Restart", L"Cold Restart"}},
  };
  for (const auto& group : kRadios) {
    const DialogTemplate d = ReadDialog(group.dialog);
    for (int id = group.first; id <= group.last; ++id) {
      SCOPED_TRACE(id);
      const TemplateItem* radio = Item(d, static_cast<DWORD>(id));
      ASSERT_NE(radio, nullptr);
      EXPECT_EQ(radio->style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTORADIOBUTTON));
      EXPECT_EQ(radio->text, group.texts[static_cast<std::size_t>(id - group.first)]);
      EXPECT_EQ((radio->style & WS_GROUP) != 0, id == group.first) << "one group per choice";
    }
  }

  const DialogTemplate connection = ReadDialog(IDD_CONNECTION);
  for (int field : {IDC_CONN_STATION, IDC_CONN_TIMEOUT, IDC_CONN_RACK, IDC_CONN_SLOT}) {
    SCOPED_TRACE(field);
    const TemplateItem* spinner = Item(connection, static_cast<DWORD>(field + 1));
    ASSERT_NE(spinner, nullptr);
    EXPECT_EQ(_wcsicmp(spinner->cls.c_str(), L"msctls_updown32"), 0);
    EXPECT_EQ(spinner->style & (UDS_ALIGNRIGHT | UDS_ARROWKEYS), static_cast<DWORD>(UDS_ALIGNRIGHT | UDS_ARROWKEYS));
    EXPECT_EQ(spinner->style & UDS_SETBUDDYINT, 0u) << "the dialog writes the field's text itself";
    const TemplateItem* label = Item(connection, static_cast<DWORD>(field + 2));
    ASSERT_NE(label, nullptr);
    EXPECT_LT(label->x, Item(connection, static_cast<DWORD>(field))->x) << "the label stands before its field";
  }
  ASSERT_NE(Item(connection, IDC_CONN_IP), nullptr);
  EXPECT_EQ(_wcsicmp(Item(connection, IDC_CONN_IP)->cls.c_str(), L"SysIPAddress32"), 0);
  EXPECT_EQ(Item(connection, IDC_CONN_STATION_LABEL)->text, L"&MPI/PB :");
  EXPECT_EQ(Item(connection, IDC_CONN_TIMEOUT_LABEL)->text, L"&Időhiba :");
  // The family and type lists and the TSAP fields, each after its label.
  for (int id : {IDC_CONN_FAMILY, IDC_CONN_TYPE, IDC_CONN_LOCAL_TSAP, IDC_CONN_REMOTE_TSAP}) {
    SCOPED_TRACE(id);
    const TemplateItem* control = Item(connection, static_cast<DWORD>(id));
    const TemplateItem* label = Item(connection, static_cast<DWORD>(id + 1));
    ASSERT_TRUE(control && label);
    EXPECT_LT(label->x, control->x);
    const bool list = id == IDC_CONN_FAMILY || id == IDC_CONN_TYPE;
    if (list) EXPECT_EQ(control->style & 3, static_cast<DWORD>(CBS_DROPDOWNLIST));
    else EXPECT_TRUE(control->style & ES_UPPERCASE) << "hex digits as the PLC's documents write them";
  }
  EXPECT_EQ(Item(connection, IDC_CONN_FAMILY_LABEL)->text, L"&Család :");
  EXPECT_EQ(Item(connection, IDC_CONN_LOCAL_TSAP_LABEL)->text, L"&Helyi TSAP :");

  const DialogTemplate clock = ReadDialog(IDD_CLOCK);
  for (int id : {IDC_CLOCK_PLC_DATE, IDC_CLOCK_PLC_TIME, IDC_CLOCK_PC_DATE, IDC_CLOCK_PC_TIME}) {
    SCOPED_TRACE(id);
    const TemplateItem* picker = Item(clock, static_cast<DWORD>(id));
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(_wcsicmp(picker->cls.c_str(), L"SysDateTimePick32"), 0);
    const bool time = id == IDC_CLOCK_PLC_TIME || id == IDC_CLOCK_PC_TIME;
    EXPECT_EQ((picker->style & DTS_UPDOWN) != 0, time) << "time pickers in up-down style";
    const bool plc = id == IDC_CLOCK_PLC_DATE || id == IDC_CLOCK_PLC_TIME;
    EXPECT_EQ((picker->style & WS_DISABLED) != 0, plc) << "the CPU's row only shows";
  }
  const TemplateItem* follow = Item(clock, IDC_CLOCK_FOLLOW_PC);
  ASSERT_NE(follow, nullptr);
  EXPECT_EQ(follow->style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
  EXPECT_EQ(follow->text, L"&PC idő beállítása");

  const TemplateItem* password = Item(ReadDialog(IDD_LOGIN), IDC_LOGIN_PASSWORD);
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->style & ES_PASSWORD, 0u) << "the password shows as typed";
}

// The read window: resizable, the list on top, then the bottom row from left
// to right, the separator, the close button and the status bar.
TEST(DialogResource, ReadWindow) {
  const DialogTemplate d = ReadDialog(IDD_READ_WINDOW);
  ExpectFrame(d, 180, 219, L"Változók olvasása");
  EXPECT_TRUE(d.style & WS_THICKFRAME) << "a sizing border";
  const TemplateItem* list = Item(d, IDC_READ_LIST);
  const TemplateItem* refresh = Item(d, IDC_READ_REFRESH);
  const TemplateItem* interval = Item(d, IDC_READ_INTERVAL);
  const TemplateItem* hide = Item(d, IDC_READ_HIDE_MAIN);
  const TemplateItem* line = Item(d, IDC_SEPARATOR);
  const TemplateItem* close = Item(d, IDC_READ_CLOSE);
  const TemplateItem* status = Item(d, IDC_READ_STATUS);
  ASSERT_TRUE(list && refresh && interval && hide && line && close && status);
  EXPECT_TRUE(IsClass(*list, L"#131", L"ListBox"));
  EXPECT_EQ(list->style & (WS_VSCROLL | WS_HSCROLL), static_cast<DWORD>(WS_VSCROLL | WS_HSCROLL));
  EXPECT_TRUE(IsClass(*interval, L"#133", L"ComboBox"));
  EXPECT_EQ(interval->style & 3, static_cast<DWORD>(CBS_DROPDOWNLIST));
  for (const TemplateItem* box : {refresh, hide}) {
    EXPECT_TRUE(IsButton(*box));
    EXPECT_EQ(box->style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
  }
  EXPECT_EQ(refresh->text, L"&Frissítés");
  EXPECT_EQ(hide->text, L"&Főablak elrejtése");
  EXPECT_EQ(close->text, L"&Bezárás");
  EXPECT_EQ(close->style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON)) << "Enter does not close";
  EXPECT_EQ(_wcsicmp(status->cls.c_str(), L"msctls_statusbar32"), 0);
  EXPECT_TRUE(status->style & SBARS_SIZEGRIP);

  EXPECT_EQ(refresh->x, list->x) << "the bottom row starts at the list's margin";
  EXPECT_LE(refresh->x + refresh->cx, interval->x);
  EXPECT_LE(interval->x + interval->cx, hide->x);
  EXPECT_EQ(hide->x + hide->cx, list->x + list->cx) << "and ends at its right edge";
  for (const TemplateItem* row : {refresh, interval, hide}) EXPECT_GE(row->y, list->y + list->cy);
  const TemplateItem* reconnect = Item(d, IDC_READ_RECONNECT);
  ASSERT_NE(reconnect, nullptr);
  EXPECT_EQ(reconnect->style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
  EXPECT_EQ(reconnect->text, L"Ú&jrakapcsolódás");
  EXPECT_EQ(reconnect->x, list->x) << "below the bottom row, at the margin";
  EXPECT_GE(reconnect->y, refresh->y + refresh->cy);
  EXPECT_GE(line->y, reconnect->y + reconnect->cy);
  EXPECT_GE(close->y, line->y + line->cy);
  EXPECT_EQ(close->x * 2 + close->cx, d.cx) << "the close button centred";
  EXPECT_LE(close->y + close->cy, d.cy);
}

// The variable dialogs: size and title, both scrolling lists of the list
// dialog with their buttons and status bar, spinners that leave the text to
// the dialog, the reason beside the definition's buttons, and the element
// editor's pickers (the time picker in up-down style).
TEST(DialogResource, VariableDialogs) {
  const struct {
    int id;
    short cx, cy;
    const wchar_t* title;
  } kFrames[] = {
      {IDD_VAR_LIST, 180, 260, L"Változók olvasása"},
      {IDD_VAR_DEFINE, 215, 83, L"Változó megadása"},  // a row more: a text's maximum length
      {IDD_ELEMENT_NAME, 185, 50, L"Változó szerkesztése"},
      {IDD_ELEMENT_VALUE, 160, 80, L"Változó szerkesztése"},
  };
  for (const auto& frame : kFrames) {
    const DialogTemplate d = ExpectOkCancelDialog(frame.id, frame.cx, frame.cy, frame.title);
    for (const TemplateItem& item : d.items) {
      if (_wcsicmp(item.cls.c_str(), L"msctls_updown32") != 0) continue;
      EXPECT_EQ(item.style & UDS_SETBUDDYINT, 0u) << "spinner " << item.id << ": the dialog writes the text";
      EXPECT_TRUE(item.style & UDS_ALIGNRIGHT);
    }
  }

  const DialogTemplate list = ReadDialog(IDD_VAR_LIST);
  const struct {
    int id;
    short x, y, cx, cy;
  } kLists[] = {{IDC_LIST_VARIABLES, 10, 10, 100, 100}, {IDC_LIST_ELEMENTS, 10, 120, 160, 100}};
  for (const auto& l : kLists) {
    const TemplateItem* box = Item(list, static_cast<DWORD>(l.id));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsClass(*box, L"#131", L"ListBox"));
    const DWORD wanted = WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY;
    EXPECT_EQ(box->style & wanted, wanted);
    EXPECT_EQ(box->style & LBS_SORT, 0u) << "lines in table order";
    EXPECT_EQ(box->x * 1000 + box->y, l.x * 1000 + l.y);
    EXPECT_EQ(box->cx * 1000 + box->cy, l.cx * 1000 + l.cy);
  }
  const struct {
    int id;
    const wchar_t* text;
  } kButtons[] = {{IDC_LIST_APPEND, L"&Hozzáfűz"}, {IDC_LIST_INSERT, L"&Beilleszt"}, {IDC_LIST_MODIFY, L"&Módosít"},
                  {IDC_LIST_DELETE, L"&Töröl"},    {IDC_LIST_EDIT, L"&Szerkeszt"}};
  for (const auto& b : kButtons) {
    const TemplateItem* button = Item(list, static_cast<DWORD>(b.id));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text, b.text);
    EXPECT_EQ(button->x >= 110, b.id != IDC_LIST_EDIT) << "beside the variable list, but for the edit button";
  }
  ASSERT_NE(Item(list, IDC_LIST_STATUS), nullptr);
  EXPECT_EQ(_wcsicmp(Item(list, IDC_LIST_STATUS)->cls.c_str(), L"msctls_statusbar32"), 0);

  const DialogTemplate define = ReadDialog(IDD_VAR_DEFINE);
  for (int id : {IDC_DEFINE_TYPE, IDC_DEFINE_AREA}) {
    ASSERT_NE(Item(define, static_cast<DWORD>(id)), nullptr);
    EXPECT_EQ(Item(define, static_cast<DWORD>(id))->style & 3, static_cast<DWORD>(CBS_DROPDOWNLIST));
  }
  for (int field : {IDC_DEFINE_DB, IDC_DEFINE_ADDRESS, IDC_DEFINE_BIT, IDC_DEFINE_COUNT, IDC_DEFINE_TEXT_MAX}) {
    ASSERT_NE(Item(define, static_cast<DWORD>(field)), nullptr) << field;
    ASSERT_NE(Item(define, static_cast<DWORD>(field + 1)), nullptr) << "the spinner of " << field;
  }
  const TemplateItem* reason = Item(define, IDC_DEFINE_REASON);
  ASSERT_NE(reason, nullptr);
  EXPECT_TRUE(IsStatic(*reason));
  EXPECT_LE(reason->x + reason->cx, Item(define, IDOK)->x) << "left of the buttons";
  EXPECT_GE(reason->cy, 16) << "two lines";

  const DialogTemplate value = ReadDialog(IDD_ELEMENT_VALUE);
  for (int id : {IDC_ELEMENT_DATE, IDC_ELEMENT_TIME}) {
    const TemplateItem* picker = Item(value, static_cast<DWORD>(id));
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(_wcsicmp(picker->cls.c_str(), L"SysDateTimePick32"), 0);
    EXPECT_EQ((picker->style & DTS_UPDOWN) != 0, id == IDC_ELEMENT_TIME);
  }
  for (int dialog : {IDD_ELEMENT_NAME, IDD_ELEMENT_VALUE}) {
    const DialogTemplate e = ReadDialog(dialog);
    ASSERT_NE(Item(e, IDC_ELEMENT_NAME), nullptr);
    EXPECT_TRUE(Item(e, IDC_ELEMENT_NAME)->style & ES_AUTOHSCROLL);
    ASSERT_NE(Item(e, IDC_ELEMENT_MODE), nullptr);
    EXPECT_EQ(Item(e, IDC_ELEMENT_MODE)->style & 3, static_cast<DWORD>(CBS_DROPDOWNLIST));
  }
  ASSERT_NE(Item(value, IDC_ELEMENT_VALUE), nullptr);
  EXPECT_TRUE(Item(value, IDC_ELEMENT_VALUE)->style & ES_AUTOHSCROLL);
  EXPECT_EQ(Item(ReadDialog(IDD_ELEMENT_NAME), IDC_ELEMENT_VALUE), nullptr) << "no value without the write list";
}

TEST(VersionResource, SaysOnePointZeroBuild69) {
  HRSRC res = FindResourceW(Module(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  ASSERT_NE(res, nullptr);
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(Module(), res)));
  const DWORD size = SizeofResource(Module(), res);
  const VS_FIXEDFILEINFO* fixed = nullptr;
  for (DWORD off = 0; off + sizeof(VS_FIXEDFILEINFO) <= size; off += 4) {
    if (reinterpret_cast<const VS_FIXEDFILEINFO*>(data + off)->dwSignature == VS_FFI_SIGNATURE) {
      fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + off);
      break;
    }
  }
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 69u);
  EXPECT_NE(FindResourceW(Module(), MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
}

}  // namespace
