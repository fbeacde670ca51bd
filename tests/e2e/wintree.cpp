// wintree.exe: finds a window, one of its controls or a tree view's item
// through the window tree, for the end-to-end flows, so that they press what
// they mean wherever the system's font and layout put it.
//
//   wintree WINDOW-TITLE [--control CAPTION | --id N | --class NAME | --item TEXT]
//           [--text | --expect TEXT | --enabled]
//   wintree --menu
//
// Prints "x y width height" of what it found, in screen pixels, or with
// --text the text it holds (UTF-8). Waits up to a minute for it to appear
// (with --expect until its text is TEXT, with --enabled until it takes
// input); a tree view's item (its text without surrounding blanks) is
// scrolled into view first. --menu waits for a drop-down or popup menu to be
// shown. Exits 1 when nothing is found.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// WM_GETTEXT rather than GetWindowText, which does not ask a window of
// another process for its text (an edit control's, say).
std::string TextOf(HWND window) {
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &copied);
  buffer[1023] = 0;
  return ToUtf8(buffer);
}

std::string ClassOf(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, 256);
  return ToUtf8(buffer);
}

struct Query {
  std::string Title, Control, Class, Item, Expect;
  int Id = -1;
  bool Text = false, HasExpect = false, Enabled = false;
};

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

HWND FindTopLevel(const std::string& title) {
  if (title == "--menu") {
    HWND menu = nullptr;
    while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr)
      if (IsWindowVisible(menu)) return menu;
    return nullptr;
  }
  struct Search {
    const std::string* Title;
    HWND Found = nullptr;
  } search{&title};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (IsWindowVisible(w) && TextOf(w) == *s->Title) {
          s->Found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

HWND FindChild(HWND top, const Query& q) {
  struct Search {
    const Query* Q;
    HWND Found = nullptr;
  } search{&q};
  EnumChildWindows(
      top,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (!IsWindowVisible(w)) return TRUE;
        const Query& q = *s->Q;
        const bool match = q.Id >= 0            ? GetDlgCtrlID(w) == q.Id
                           : !q.Control.empty() ? TextOf(w) == q.Control
                           : !q.Class.empty()   ? ClassOf(w) == q.Class
                                                : ClassOf(w) == "SysTreeView32";
        if (match) {
          s->Found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// The tree view lives in another process: its item records and texts are
// exchanged through memory allocated there.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size) : FSize(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    FProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (FProcess != nullptr) FAddress = VirtualAllocEx(FProcess, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (FAddress != nullptr) VirtualFreeEx(FProcess, FAddress, 0, MEM_RELEASE);
    if (FProcess != nullptr) CloseHandle(FProcess);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool Valid() const { return FAddress != nullptr; }
  char* Address() const { return static_cast<char*>(FAddress); }
  bool Write(std::size_t offset, const void* data, std::size_t n) {
    return offset + n <= FSize && WriteProcessMemory(FProcess, Address() + offset, data, n, nullptr);
  }
  bool Read(std::size_t offset, void* data, std::size_t n) {
    return offset + n <= FSize && ReadProcessMemory(FProcess, Address() + offset, data, n, nullptr);
  }

 private:
  HANDLE FProcess = nullptr;
  void* FAddress = nullptr;
  std::size_t FSize;
};

constexpr std::size_t kTextChars = 260;
constexpr std::size_t kTextOffset = 256;  // after the item record

std::string ItemText(HWND tree, RemoteBuffer& remote, HTREEITEM item) {
  TVITEMW record{};
  record.mask = TVIF_TEXT;
  record.hItem = item;
  record.pszText = reinterpret_cast<LPWSTR>(remote.Address() + kTextOffset);
  record.cchTextMax = kTextChars;
  if (!remote.Write(0, &record, sizeof record)) return {};
  if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()))) return {};
  wchar_t text[kTextChars] = {};
  if (!remote.Read(kTextOffset, text, sizeof text)) return {};
  text[kTextChars - 1] = 0;
  return ToUtf8(text);
}

// What the last search saw, told when it finds nothing.
std::string gSeen;

// Depth first over the items shown (expanded parents only), as a user sees them.
HTREEITEM FindItem(HWND tree, RemoteBuffer& remote, HTREEITEM item, const std::string& text) {
  for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    const std::string itemText = ItemText(tree, remote, item);
    gSeen += " \"" + itemText + "\"";
    if (Trimmed(itemText) == text) return item;
    const UINT state = TreeView_GetItemState(tree, item, TVIS_EXPANDED);
    if (state & TVIS_EXPANDED) {
      if (HTREEITEM found = FindItem(tree, remote, TreeView_GetChild(tree, item), text)) return found;
    }
  }
  return nullptr;
}

bool ItemRect(HWND tree, const std::string& text, RECT& rect) {
  RemoteBuffer remote(tree, kTextOffset + kTextChars * sizeof(wchar_t));
  if (!remote.Valid()) return false;
  gSeen.clear();
  HTREEITEM item = FindItem(tree, remote, TreeView_GetRoot(tree), text);
  if (item == nullptr) return false;
  TreeView_EnsureVisible(tree, item);
  // TVM_GETITEMRECT takes the item in the rectangle it fills.
  if (!remote.Write(0, &item, sizeof item)) return false;
  if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote.Address()))) return false;
  if (!remote.Read(0, &rect, sizeof rect)) return false;
  MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return true;
}

bool Find(const Query& q) {
  HWND top = FindTopLevel(q.Title);
  if (top == nullptr) return false;
  HWND target = top;
  if (q.Id >= 0 || !q.Control.empty() || !q.Class.empty() || !q.Item.empty()) {
    target = FindChild(top, q);
    if (target == nullptr) return false;
  }
  if (q.Enabled && !IsWindowEnabled(target)) return false;
  if (q.HasExpect) {
    gSeen = " \"" + TextOf(target) + "\"";
    if (TextOf(target) != q.Expect) return false;
  }
  RECT rect{};
  if (!q.Item.empty()) {
    if (!ItemRect(target, q.Item, rect)) return false;
  } else if (q.Text) {
    std::printf("%s\n", TextOf(target).c_str());
    return true;
  } else {
    GetWindowRect(target, &rect);
  }
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  return true;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < argc; ++i) args.push_back(ToUtf8(wide[i]));
  LocalFree(wide);
  if (args.empty()) {
    std::fprintf(stderr,
                 "usage: wintree WINDOW-TITLE [--control CAPTION | --id N | --class NAME | --item TEXT] "
                 "[--text | --expect TEXT | --enabled]\n");
    return 2;
  }
  Query q;
  q.Title = args[0];
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--text") {
      q.Text = true;
    } else if (a == "--control" && hasValue) {
      q.Control = args[++i];
    } else if (a == "--id" && hasValue) {
      q.Id = std::atoi(args[++i].c_str());
    } else if (a == "--class" && hasValue) {
      q.Class = args[++i];
    } else if (a == "--expect" && hasValue) {
      q.Expect = args[++i];
      q.HasExpect = true;
    } else if (a == "--enabled") {
      q.Enabled = true;
    } else if (a == "--item" && hasValue) {
      q.Item = args[++i];
    } else {
      std::fprintf(stderr, "wintree: unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  // A bounded wait on the condition, polled: the window may still be opening.
  // A menu is looked for just after the key or click that opens it: the
  // caller may press again when none came.
  const ULONGLONG deadline = GetTickCount64() + (q.Title == "--menu" ? 4000 : q.Item.empty() ? 60000 : 20000);
  do {
    if (Find(q)) return 0;
    Sleep(50);
  } while (GetTickCount64() < deadline);
  std::fprintf(stderr, "wintree: nothing found in \"%s\"%s%s\n", q.Title.c_str(),
               gSeen.empty() ? "" : "; seen:", gSeen.c_str());
  return 1;
}
