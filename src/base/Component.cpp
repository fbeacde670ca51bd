#include "base/Component.h"

#include <algorithm>
#include <cctype>

#include "base/Exceptions.h"

namespace pellamy {

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

TComponent::TComponent(TComponent* owner) : FOwner(owner) {
  if (owner == nullptr) return;
  owner->InsertComponent(this);
  // Made while its owner loads: its settings are part of the owner's stored
  // layout, and its Loaded comes with the owner's.
  if (owner->IsLoading()) FComponentState |= csLoading | csReading;
}

TComponent::~TComponent() {
  FComponentState |= csDestroying;
  for (TComponent* other : std::vector<TComponent*>(FFreeNotifies)) {
    other->Notification(this, true);
    auto& back = other->FFreeNotifies;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
  }
  // Owned components go last-created first, as their creation may have
  // depended on the earlier ones.
  while (!FComponents.empty()) {
    TComponent* child = FComponents.back();
    FComponents.pop_back();
    child->FOwner = nullptr;
    delete child;
  }
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* child) {
  FComponents.push_back(child);
}

void TComponent::RemoveComponent(TComponent* child) {
  FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), child), FComponents.end());
  child->FOwner = nullptr;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (TComponent* c : FComponents)
    if (SameText(c->Name(), name)) return c;
  return nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(component);
    component->FFreeNotifies.push_back(this);
  }
}

void TComponent::Notification(TComponent*, bool) {}

void TComponent::SetComponentStateFlag(unsigned flag, bool on) {
  FComponentState = on ? (FComponentState | flag) : (FComponentState & ~flag);
}

void TComponent::BeginLoading() {
  SetComponentStateFlag(csLoading | csReading, true);
  for (TComponent* c : FComponents) c->BeginLoading();
}

void TComponent::EndLoading() {
  SetComponentStateFlag(csReading, false);
  for (TComponent* c : FComponents) c->EndLoading();
  SetComponentStateFlag(csLoading, false);
  Loaded();
}

void TComponent::Loaded() {}

void TComponent::DefineProperties(TPropertyTable& table) const {
  auto* self = const_cast<TComponent*>(this);
  table["Name"] = StringProp([self] { return self->FName; }, [self](const std::string& v) { self->FName = v; });
  table["Tag"] = IntProp([self] { return static_cast<std::int64_t>(self->FTag); },
                         [self](std::int64_t v) { self->FTag = static_cast<std::intptr_t>(v); });
}

TPropertyTable TComponent::Properties() const {
  TPropertyTable table;
  DefineProperties(table);
  return table;
}

namespace {
const TPropInfo* Find(const TPropertyTable& table, const std::string& name) {
  for (const auto& [key, info] : table)
    if (SameText(key, name)) return &info;
  return nullptr;
}
}  // namespace

bool TComponent::HasProperty(const std::string& name) const {
  return Find(Properties(), name) != nullptr;
}

bool TComponent::PropertyKind(const std::string& name, TPropInfo::Kind& kind) const {
  TPropertyTable table = Properties();
  const TPropInfo* info = Find(table, name);
  if (info == nullptr) return false;
  kind = info->PropKind;
  return true;
}

std::string TComponent::GetPropertyText(const std::string& name) const {
  TPropertyTable table = Properties();
  const TPropInfo* info = Find(table, name);
  if (info == nullptr) throw Exception("Property " + name + " does not exist");
  return info->Get();
}

void TComponent::SetPropertyText(const std::string& name, const std::string& value) {
  TPropertyTable table = Properties();
  const TPropInfo* info = Find(table, name);
  if (info == nullptr) throw Exception("Property " + name + " does not exist");
  if (!info->Set) throw Exception("Property " + name + " is read-only");
  info->Set(value);
}

std::vector<std::string> TComponent::PropertyNames() const {
  std::vector<std::string> names;
  for (const auto& [key, info] : Properties()) names.push_back(key);
  return names;
}

TPropInfo TComponent::BoolProp(std::function<bool()> get, std::function<void(bool)> set) {
  TPropInfo info;
  info.PropKind = TPropInfo::Kind::Boolean;
  info.EnumNames = {"False", "True"};
  info.Get = [get] { return std::string(get() ? "True" : "False"); };
  if (set)
    info.Set = [set](const std::string& v) {
      if (SameText(v, "True"))
        set(true);
      else if (SameText(v, "False"))
        set(false);
      else
        throw Exception("Invalid property value " + v);
    };
  return info;
}

TPropInfo TComponent::IntProp(std::function<std::int64_t()> get, std::function<void(std::int64_t)> set) {
  TPropInfo info;
  info.PropKind = TPropInfo::Kind::Integer;
  info.Get = [get] { return std::to_string(get()); };
  if (set)
    info.Set = [set](const std::string& v) {
      std::size_t used = 0;
      std::int64_t n = 0;
      try {
        n = std::stoll(v, &used, 0);
      } catch (...) {
        used = 0;
      }
      if (used == 0 || used != v.size()) throw Exception("'" + v + "' is not a valid integer value");
      set(n);
    };
  return info;
}

TPropInfo TComponent::StringProp(std::function<std::string()> get, std::function<void(const std::string&)> set) {
  TPropInfo info;
  info.PropKind = TPropInfo::Kind::String;
  info.Get = std::move(get);
  info.Set = std::move(set);
  return info;
}

TPropInfo TComponent::EnumProp(std::vector<std::string> names, std::function<int()> get, std::function<void(int)> set) {
  TPropInfo info;
  info.PropKind = TPropInfo::Kind::Enumeration;
  info.EnumNames = names;
  info.Get = [names, get] {
    const int v = get();
    return v >= 0 && v < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(v)] : std::to_string(v);
  };
  if (set)
    info.Set = [names, set](const std::string& v) {
      for (std::size_t i = 0; i < names.size(); ++i)
        if (SameText(names[i], v)) return set(static_cast<int>(i));
      throw Exception("Invalid property value " + v);
    };
  return info;
}

}  // namespace pellamy
