#include "Component.h"

#include "CallbackGuard.h"

#include <algorithm>

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    FDestroying = true;
    // Whoever refers to this component learns of its end while the pointer is still unique.
    auto notifies = std::move(FFreeNotifies);
    FFreeNotifies.clear();
    for (TComponent* other : notifies) {
        auto& back = other->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::Free(TComponent* component) noexcept {
    if (!component)
        return;
    try {
        component->BeforeDestruction();
    } catch (...) {
        HandleCallbackException();
    }
    delete component;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : FComponents)
        if (c->FName == name)
            return c;
    return nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this)
        return;
    // Both sides keep the link, so whichever goes first clears it from the other.
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
        FFreeNotifies.push_back(component);
    auto& back = component->FFreeNotifies;
    if (std::find(back.begin(), back.end(), this) == back.end())
        back.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component),
                        FFreeNotifies.end());
}

void TComponent::LoadedTree() {
    auto owned = FComponents;
    for (TComponent* c : owned)
        c->LoadedTree();
    Loaded();
}

void TComponent::DestroyComponents() noexcept {
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        FComponents.pop_back();
        // Removed quietly: the owner is going too, and siblings that care hold a free
        // notification.
        last->FOwner = nullptr;
        Free(last);
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    auto owned = FComponents;
    for (TComponent* c : owned)
        c->Notification(AComponent, Operation);
}

void TComponent::InsertComponent(TComponent* component) {
    FComponents.push_back(component);
    component->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* component) {
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), component),
                      FComponents.end());
    component->FOwner = nullptr;
    if (!FDestroying)
        Notification(component, TOperation::opRemove);
}
