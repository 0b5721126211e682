#include "plugin/kit/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* Owner) : FOwner(Owner)
{
    if (FOwner) {
        FOwner->FComponents.push_back(this);
    }
}

TComponent::~TComponent()
{
    // Those that asked hear of the destruction first, and forget this one.
    const std::vector<TComponent*> subscribers = FFreeNotifies;
    for (TComponent* subscriber : subscribers) {
        subscriber->Notification(this, TOperation::Remove);
    }
    for (TComponent* subscriber : subscribers) {
        subscriber->RemoveFreeNotification(this);
    }
    FFreeNotifies.clear();
    // Owned components go last to first, as they were made.
    while (!FComponents.empty()) {
        TComponent* child = FComponents.back();
        delete child;  // its destructor removes it from FComponents
    }
    if (FOwner) {
        auto& siblings = FOwner->FComponents;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

void TComponent::FreeNotification(TComponent* Subscriber)
{
    if (!Subscriber || Subscriber == this) {
        return;
    }
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), Subscriber) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(Subscriber);
    }
    // Both directions: whichever goes first, the other forgets it.
    if (std::find(Subscriber->FFreeNotifies.begin(), Subscriber->FFreeNotifies.end(), this) ==
        Subscriber->FFreeNotifies.end()) {
        Subscriber->FFreeNotifies.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* Subscriber)
{
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), Subscriber), FFreeNotifies.end());
}

void TComponent::Notification(TComponent* Component, TOperation Operation)
{
    if (Operation == TOperation::Remove) {
        RemoveFreeNotification(Component);
    }
}
