// TComponent and the published-property table: ownership, names, tags,
// component state, and properties read and set by name as text.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pellamy {

enum TComponentStateFlag : unsigned {
  csLoading = 1 << 0,
  csReading = 1 << 1,
  csDesigning = 1 << 2,
  csDestroying = 1 << 3,
};

// One published property: its text form, and a setter that throws
// pellamy::Exception for a value it cannot take.
struct TPropInfo {
  enum class Kind { Integer, Boolean, Enumeration, String, Set, Class };
  Kind PropKind = Kind::String;
  std::function<std::string()> Get;
  std::function<void(const std::string&)> Set;
  std::vector<std::string> EnumNames;  // for enumerations and sets
};
using TPropertyTable = std::map<std::string, TPropInfo>;

class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  virtual std::string ClassName() const { return "TComponent"; }

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& name) { FName = name; }
  std::intptr_t Tag() const { return FTag; }
  void SetTag(std::intptr_t tag) { FTag = tag; }

  // Owned components in creation order.
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const { return FComponents.at(static_cast<std::size_t>(index)); }
  TComponent* FindComponent(const std::string& name) const;

  unsigned ComponentState() const { return FComponentState; }
  bool IsLoading() const { return (FComponentState & csLoading) != 0; }
  bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }
  // Loading runs between BeginLoading and EndLoading; EndLoading calls
  // Loaded on this component and each owned one.
  void BeginLoading();
  void EndLoading();

  // Published properties by name, case-insensitive. Unknown names and
  // unacceptable values throw pellamy::Exception.
  bool HasProperty(const std::string& name) const;
  // The kind of a published property; false when there is none of that name.
  bool PropertyKind(const std::string& name, TPropInfo::Kind& kind) const;
  std::string GetPropertyText(const std::string& name) const;
  void SetPropertyText(const std::string& name, const std::string& value);
  std::vector<std::string> PropertyNames() const;

  // Another component this one refers to is going away.
  virtual void Notification(TComponent* component, bool removing);
  void FreeNotification(TComponent* component);

 protected:
  virtual void Loaded();
  // Derived classes add their properties after the base class's.
  virtual void DefineProperties(TPropertyTable& table) const;
  void SetComponentStateFlag(unsigned flag, bool on);

  // Helpers for DefineProperties.
  static TPropInfo BoolProp(std::function<bool()> get, std::function<void(bool)> set);
  static TPropInfo IntProp(std::function<std::int64_t()> get, std::function<void(std::int64_t)> set);
  static TPropInfo StringProp(std::function<std::string()> get, std::function<void(const std::string&)> set);
  static TPropInfo EnumProp(std::vector<std::string> names, std::function<int()> get, std::function<void(int)> set);

 private:
  void InsertComponent(TComponent* child);
  void RemoveComponent(TComponent* child);
  TPropertyTable Properties() const;

  TComponent* FOwner = nullptr;
  std::string FName;
  std::intptr_t FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  unsigned FComponentState = 0;
};

bool SameText(const std::string& a, const std::string& b);

// An event that tells its handler who sent it.
using TNotifyEvent = std::function<void(TComponent* sender)>;

}  // namespace pellamy
