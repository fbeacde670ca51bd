// The tree view: TTreeNode (a node owned by its tree), TTreeNodes (the
// tree's nodes, reached as Items), TCustomTreeView (the system tree view's
// behaviour, the kind skins find trees by) and TTreeView. Included by
// ComCtrls.h.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/controls/Controls.h"

namespace pellamy {

class TCustomTreeView;
class TImageList;
class TTreeNodes;

class TTreeNode {
 public:
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  TCustomTreeView* TreeView() const { return FTree; }
  // With a window, the text as the user may have edited it.
  const std::string& Text() const { return FText; }
  void SetText(const std::string& text);
  void* Data() const { return FData; }
  void SetData(void* data) { FData = data; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int index);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int index);

  TTreeNode* Parent() const { return FParent; }
  int Count() const { return static_cast<int>(FChildren.size()); }
  bool HasChildren() const { return !FChildren.empty(); }
  TTreeNode* Item(int index) const;
  TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front().get(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // Its place among its siblings, and its depth (0 for a top node).
  int Index() const;
  int Level() const;
  // The window's item while there is one.
  HTREEITEM ItemId() const { return FItem; }

  bool Expanded() const;
  void SetExpanded(bool value);
  void Expand(bool recurse = false);
  void Collapse(bool recurse = false);
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const { return Selected(); }
  // Removes the node and its children from the tree; the node is freed.
  void Delete();
  void DeleteChildren();

 private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  TTreeNode(TCustomTreeView* tree, TTreeNode* parent, std::string text);
  void UpdateItem(UINT mask);

  TCustomTreeView* FTree;
  TTreeNode* FParent;
  std::string FText;
  void* FData = nullptr;
  int FImageIndex = -1;
  int FSelectedIndex = -1;
  bool FExpanded = false;
  HTREEITEM FItem = nullptr;
  std::vector<std::unique_ptr<TTreeNode>> FChildren;
};

class TTreeNodes {
 public:
  explicit TTreeNodes(TCustomTreeView* tree) : FTree(tree) {}
  // A node after the last sibling of sibling (at the top level when sibling
  // is nullptr).
  TTreeNode* Add(TTreeNode* sibling, const std::string& text);
  TTreeNode* AddFirst(TTreeNode* sibling, const std::string& text);
  // A node after the last child of parent (at the top level when nullptr).
  TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
  TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& text);
  // A node before node, among its siblings.
  TTreeNode* Insert(TTreeNode* node, const std::string& text);
  void Delete(TTreeNode* node);
  void Clear();
  // All nodes, top to bottom as a fully expanded tree lists them.
  int Count() const;
  TTreeNode* Item(int index) const;
  TTreeNode* operator[](int index) const { return Item(index); }
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front().get(); }
  int TopCount() const { return static_cast<int>(FRoots.size()); }
  // The node of a window item.
  TTreeNode* FindNode(HTREEITEM item) const;

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* InsertAt(TTreeNode* parent, std::size_t index, const std::string& text);
  std::vector<std::unique_ptr<TTreeNode>>& Siblings(TTreeNode* parent);
  TCustomTreeView* FTree;
  std::vector<std::unique_ptr<TTreeNode>> FRoots;
};

using TTVChangedEvent = std::function<void(TComponent* sender, TTreeNode* node)>;
using TTVChangingEvent = std::function<void(TComponent* sender, TTreeNode* node, bool& allowChange)>;
using TTVExpandingEvent = std::function<void(TComponent* sender, TTreeNode* node, bool& allowExpansion)>;
using TTVCollapsingEvent = std::function<void(TComponent* sender, TTreeNode* node, bool& allowCollapse)>;
using TTVExpandedEvent = std::function<void(TComponent* sender, TTreeNode* node)>;
using TTVEditedEvent = std::function<void(TComponent* sender, TTreeNode* node, std::string& text)>;

class TCustomTreeView : public TWinControl {
 public:
  explicit TCustomTreeView(TComponent* owner);
  ~TCustomTreeView() override;
  std::string ClassName() const override { return "TCustomTreeView"; }

  TTreeNodes& Items() { return FItems; }
  const TTreeNodes& Items() const { return FItems; }
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* node);
  TTreeNode* TopItem() const;
  // The node at a client point, or nullptr.
  TTreeNode* GetNodeAt(int x, int y) const;
  void FullExpand();
  void FullCollapse();

  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool value);
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool value);
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool value);
  // Without ReadOnly the user edits a node's text in place.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* images);

  TTVChangedEvent OnChange;
  TTVChangingEvent OnChanging;
  TTVExpandingEvent OnExpanding;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnExpanded;
  TTVExpandedEvent OnCollapsed;
  // The user finished editing a node's text; the handler may change it.
  TTVEditedEvent OnEdited;

  void Notification(TComponent* component, bool removing) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  friend class TTreeNode;
  friend class TTreeNodes;
  void ApplyStyle();
  void ApplyImages();
  void InsertItemWindow(TTreeNode* node, HTREEITEM after);
  void ForgetItems(TTreeNode* node);
  HWND ItemWindow() const;

  TTreeNodes FItems{this};
  bool FShowLines = true;
  bool FShowRoot = true;
  bool FShowButtons = true;
  bool FReadOnly = false;
  bool FHideSelection = true;
  bool FDestroying = false;
  TImageList* FImages = nullptr;
};

class TTreeView : public TCustomTreeView {
 public:
  explicit TTreeView(TComponent* owner) : TCustomTreeView(owner) {}
  std::string ClassName() const override { return "TTreeView"; }
};

}  // namespace pellamy
