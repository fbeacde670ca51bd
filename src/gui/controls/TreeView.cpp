#include "gui/controls/TreeView.h"

#include <algorithm>

#include "base/Exceptions.h"
#include "gui/gdi/ImgList.h"
#include "gui/gdi/WideText.h"

namespace pellamy {

// --------------------------------------------------------------- TTreeNode

TTreeNode::TTreeNode(TCustomTreeView* tree, TTreeNode* parent, std::string text)
    : FTree(tree), FParent(parent), FText(std::move(text)) {}

void TTreeNode::UpdateItem(UINT mask) {
  HWND h = FTree->ItemWindow();
  if (h == nullptr || FItem == nullptr) return;
  std::wstring text = Utf8ToWide(FText);
  TVITEMW item{};
  item.mask = mask | TVIF_HANDLE;
  item.hItem = FItem;
  item.pszText = text.data();
  item.iImage = FImageIndex;
  item.iSelectedImage = FSelectedIndex >= 0 ? FSelectedIndex : FImageIndex;
  SendMessageW(h, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetText(const std::string& text) {
  FText = text;
  UpdateItem(TVIF_TEXT);
}

void TTreeNode::SetImageIndex(int index) {
  FImageIndex = index;
  UpdateItem(TVIF_IMAGE | TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetSelectedIndex(int index) {
  FSelectedIndex = index;
  UpdateItem(TVIF_IMAGE | TVIF_SELECTEDIMAGE);
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return FChildren[static_cast<std::size_t>(index)].get();
}

int TTreeNode::Index() const {
  const auto& siblings = FTree->FItems.Siblings(FParent);
  for (std::size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

int TTreeNode::Level() const {
  int level = 0;
  for (TTreeNode* p = FParent; p != nullptr; p = p->FParent) ++level;
  return level;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& siblings = FTree->FItems.Siblings(FParent);
  const auto i = static_cast<std::size_t>(Index()) + 1;
  return i < siblings.size() ? siblings[i].get() : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const int i = Index();
  return i > 0 ? FTree->FItems.Siblings(FParent)[static_cast<std::size_t>(i - 1)].get() : nullptr;
}

bool TTreeNode::Expanded() const {
  HWND h = FTree->ItemWindow();
  if (h != nullptr && FItem != nullptr)
    return (SendMessageW(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItem), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  return FExpanded;
}

void TTreeNode::SetExpanded(bool value) {
  if (value)
    Expand(false);
  else
    Collapse(false);
}

void TTreeNode::Expand(bool recurse) {
  if (HasChildren() && !Expanded()) {
    bool allow = true;
    if (FTree->OnExpanding) FTree->OnExpanding(FTree, this, allow);
    if (allow) {
      FExpanded = true;
      if (HWND h = FTree->ItemWindow(); h != nullptr && FItem != nullptr)
        SendMessageW(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItem));
      if (FTree->OnExpanded) FTree->OnExpanded(FTree, this);
    }
  }
  if (recurse)
    for (auto& child : FChildren) child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  if (recurse)
    for (auto& child : FChildren) child->Collapse(true);
  if (!Expanded()) return;
  bool allow = true;
  if (FTree->OnCollapsing) FTree->OnCollapsing(FTree, this, allow);
  if (!allow) return;
  FExpanded = false;
  if (HWND h = FTree->ItemWindow(); h != nullptr && FItem != nullptr)
    SendMessageW(h, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(FItem));
  if (FTree->OnCollapsed) FTree->OnCollapsed(FTree, this);
}

bool TTreeNode::Selected() const {
  return FTree->Selected() == this;
}

void TTreeNode::SetSelected(bool value) {
  if (value)
    FTree->SetSelected(this);
  else if (Selected())
    FTree->SetSelected(nullptr);
}

void TTreeNode::Delete() {
  FTree->FItems.Delete(this);
}

void TTreeNode::DeleteChildren() {
  while (!FChildren.empty()) FTree->FItems.Delete(FChildren.back().get());
}

// -------------------------------------------------------------- TTreeNodes

std::vector<std::unique_ptr<TTreeNode>>& TTreeNodes::Siblings(TTreeNode* parent) {
  return parent != nullptr ? parent->FChildren : FRoots;
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* parent, std::size_t index, const std::string& text) {
  auto& siblings = Siblings(parent);
  index = std::min(index, siblings.size());
  auto node = std::unique_ptr<TTreeNode>(new TTreeNode(FTree, parent, text));
  TTreeNode* raw = node.get();
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(index), std::move(node));
  if (FTree->ItemWindow() != nullptr && (parent == nullptr || parent->FItem != nullptr))
    FTree->InsertItemWindow(raw, index == 0 ? TVI_FIRST : siblings[index - 1]->FItem);
  return raw;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text) {
  TTreeNode* parent = sibling != nullptr ? sibling->FParent : nullptr;
  return InsertAt(parent, Siblings(parent).size(), text);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const std::string& text) {
  return InsertAt(sibling != nullptr ? sibling->FParent : nullptr, 0, text);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
  return InsertAt(parent, Siblings(parent).size(), text);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const std::string& text) {
  return InsertAt(parent, 0, text);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* node, const std::string& text) {
  if (node == nullptr) return Add(nullptr, text);
  return InsertAt(node->FParent, static_cast<std::size_t>(node->Index()), text);
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (node == nullptr) return;
  // The window lets go of the item (and may move the selection) while the
  // node still exists for the notifications.
  if (HWND h = FTree->ItemWindow(); h != nullptr && node->FItem != nullptr)
    SendMessageW(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->FItem));
  auto& siblings = Siblings(node->FParent);
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(), [node](const auto& p) { return p.get() == node; }),
                 siblings.end());
}

void TTreeNodes::Clear() {
  if (HWND h = FTree->ItemWindow()) SendMessageW(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  FRoots.clear();
}

namespace {
void Preorder(TTreeNode* node, std::vector<TTreeNode*>& out) {
  out.push_back(node);
  for (int i = 0; i < node->Count(); ++i) Preorder(node->Item(i), out);
}
}  // namespace

int TTreeNodes::Count() const {
  std::vector<TTreeNode*> all;
  for (const auto& root : FRoots) Preorder(root.get(), all);
  return static_cast<int>(all.size());
}

TTreeNode* TTreeNodes::Item(int index) const {
  std::vector<TTreeNode*> all;
  for (const auto& root : FRoots) Preorder(root.get(), all);
  if (index < 0 || index >= static_cast<int>(all.size()))
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return all[static_cast<std::size_t>(index)];
}

TTreeNode* TTreeNodes::FindNode(HTREEITEM item) const {
  HWND h = FTree->ItemWindow();
  if (h == nullptr || item == nullptr) return nullptr;
  TVITEMW tv{};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!SendMessageW(h, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
  return reinterpret_cast<TTreeNode*>(tv.lParam);
}

// --------------------------------------------------------- TCustomTreeView

TCustomTreeView::TCustomTreeView(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(clWindow);
}

TCustomTreeView::~TCustomTreeView() {
  // The window goes while the nodes its notifications name still exist.
  FDestroying = true;
  DestroyHandle();
}

HWND TCustomTreeView::ItemWindow() const {
  return HandleAllocated() ? const_cast<TCustomTreeView*>(this)->Handle() : nullptr;
}

void TCustomTreeView::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = WC_TREEVIEWA;
  if (FShowLines) p.Style |= TVS_HASLINES;
  if (FShowRoot) p.Style |= TVS_LINESATROOT;
  if (FShowButtons) p.Style |= TVS_HASBUTTONS;
  if (!FReadOnly) p.Style |= TVS_EDITLABELS;
  if (!FHideSelection) p.Style |= TVS_SHOWSELALWAYS;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::CreateHandleDone() {
  ApplyImages();
  for (auto& root : FItems.FRoots) InsertItemWindow(root.get(), TVI_LAST);
}

void TCustomTreeView::InsertItemWindow(TTreeNode* node, HTREEITEM after) {
  std::wstring text = Utf8ToWide(node->FText);
  TVINSERTSTRUCTW ins{};
  ins.hParent = node->FParent != nullptr ? node->FParent->FItem : TVI_ROOT;
  ins.hInsertAfter = after;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  ins.item.pszText = text.data();
  ins.item.lParam = reinterpret_cast<LPARAM>(node);
  ins.item.iImage = node->FImageIndex;
  ins.item.iSelectedImage = node->FSelectedIndex >= 0 ? node->FSelectedIndex : node->FImageIndex;
  node->FItem = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  for (auto& child : node->FChildren) InsertItemWindow(child.get(), TVI_LAST);
  if (node->FExpanded && node->HasChildren())
    SendMessageW(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node->FItem));
}

void TCustomTreeView::ApplyStyle() {
  if (!HandleAllocated()) return;
  TCreateParams p;
  CreateParams(p);
  const DWORD mine = TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_EDITLABELS | TVS_SHOWSELALWAYS;
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
  SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>((style & ~mine) | (p.Style & mine)));
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TCustomTreeView::SetShowLines(bool value) {
  FShowLines = value;
  ApplyStyle();
}

void TCustomTreeView::SetShowRoot(bool value) {
  FShowRoot = value;
  ApplyStyle();
}

void TCustomTreeView::SetShowButtons(bool value) {
  FShowButtons = value;
  ApplyStyle();
}

void TCustomTreeView::SetReadOnly(bool value) {
  FReadOnly = value;
  ApplyStyle();
}

void TCustomTreeView::SetHideSelection(bool value) {
  FHideSelection = value;
  ApplyStyle();
}

void TCustomTreeView::ApplyImages() {
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL,
               reinterpret_cast<LPARAM>(FImages != nullptr ? FImages->Handle() : nullptr));
}

void TCustomTreeView::SetImages(TImageList* images) {
  if (images == FImages) return;
  if (images != nullptr) images->FreeNotification(this);
  FImages = images;
  ApplyImages();
}

void TCustomTreeView::Notification(TComponent* component, bool removing) {
  TWinControl::Notification(component, removing);
  if (removing && component == FImages) {
    FImages = nullptr;
    ApplyImages();
  }
}

TTreeNode* TCustomTreeView::Selected() const {
  HWND h = ItemWindow();
  if (h == nullptr) return nullptr;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(h, TVM_GETNEXTITEM, TVGN_CARET, 0));
  return FItems.FindNode(item);
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
  if (node != nullptr && node->FTree != this) return;
  SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node != nullptr ? node->FItem : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() const {
  HWND h = ItemWindow();
  if (h == nullptr) return FItems.GetFirstNode();
  return FItems.FindNode(reinterpret_cast<HTREEITEM>(SendMessageW(h, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) const {
  HWND h = ItemWindow();
  if (h == nullptr) return nullptr;
  TVHITTESTINFO hit{};
  hit.pt = {x, y};
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(h, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & TVHT_ONITEM) != 0 ? FItems.FindNode(item) : nullptr;
}

void TCustomTreeView::FullExpand() {
  for (auto& root : FItems.FRoots) root->Expand(true);
}

void TCustomTreeView::FullCollapse() {
  for (auto& root : FItems.FRoots) root->Collapse(true);
}

void TCustomTreeView::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY && !FDestroying) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
    // The ANSI and wide forms keep the item handle, its data and the action
    // at the same places.
    const auto* nm = reinterpret_cast<const NMTREEVIEWW*>(m.LParam);
    auto nodeOf = [](const TVITEMW& item) { return reinterpret_cast<TTreeNode*>(item.lParam); };
    switch (hdr->code) {
      case TVN_SELCHANGINGA:
      case TVN_SELCHANGINGW: {
        bool allow = true;
        if (OnChanging) OnChanging(this, nodeOf(nm->itemNew), allow);
        m.Result = allow ? FALSE : TRUE;
        return;
      }
      case TVN_SELCHANGEDA:
      case TVN_SELCHANGEDW:
        if (OnChange) OnChange(this, nodeOf(nm->itemNew));
        m.Result = 0;
        return;
      case TVN_ITEMEXPANDINGA:
      case TVN_ITEMEXPANDINGW: {
        bool allow = true;
        TTreeNode* node = nodeOf(nm->itemNew);
        if ((nm->action & TVE_EXPAND) != 0 && !node->Expanded()) {
          if (OnExpanding) OnExpanding(this, node, allow);
        } else if ((nm->action & TVE_COLLAPSE) != 0 && node->Expanded()) {
          if (OnCollapsing) OnCollapsing(this, node, allow);
        }
        m.Result = allow ? FALSE : TRUE;
        return;
      }
      case TVN_ITEMEXPANDEDA:
      case TVN_ITEMEXPANDEDW: {
        TTreeNode* node = nodeOf(nm->itemNew);
        node->FExpanded = node->Expanded();
        if (node->FExpanded && OnExpanded) OnExpanded(this, node);
        if (!node->FExpanded && OnCollapsed) OnCollapsed(this, node);
        m.Result = 0;
        return;
      }
      case TVN_BEGINLABELEDITA:
      case TVN_BEGINLABELEDITW:
        m.Result = FReadOnly ? TRUE : FALSE;
        return;
      case TVN_ENDLABELEDITW: {
        const auto* di = reinterpret_cast<const NMTVDISPINFOW*>(m.LParam);
        m.Result = FALSE;
        if (di->item.pszText == nullptr) return;  // cancelled
        TTreeNode* node = nodeOf(di->item);
        const std::string typed = WideToUtf8(di->item.pszText);
        std::string text = typed;
        if (OnEdited) OnEdited(this, node, text);
        node->FText = text;
        // The handler changed the text: ours goes in instead of the typed one.
        if (text != typed)
          node->UpdateItem(TVIF_TEXT);
        else
          m.Result = TRUE;
        return;
      }
      default:
        break;
    }
  }
  TWinControl::WndProc(m);
}

void TCustomTreeView::DefineProperties(TPropertyTable& table) const {
  TWinControl::DefineProperties(table);
  auto* self = const_cast<TCustomTreeView*>(this);
  table["ShowLines"] = BoolProp([self] { return self->FShowLines; }, [self](bool v) { self->SetShowLines(v); });
  table["ShowRoot"] = BoolProp([self] { return self->FShowRoot; }, [self](bool v) { self->SetShowRoot(v); });
  table["ShowButtons"] = BoolProp([self] { return self->FShowButtons; }, [self](bool v) { self->SetShowButtons(v); });
  table["ReadOnly"] = BoolProp([self] { return self->FReadOnly; }, [self](bool v) { self->SetReadOnly(v); });
  table["HideSelection"] =
      BoolProp([self] { return self->FHideSelection; }, [self](bool v) { self->SetHideSelection(v); });
}

}  // namespace pellamy
