#include "lang/component.h"

TComponent* TComponent::Find(u16v name) {
  for (auto& c : Components) {
    if (c->Name == name) return c.get();
    if (TComponent* below = c->Find(name)) return below;
  }
  return nullptr;
}
