#pragma once
// Components: objects with an owner that destroys them, a name, and a way to
// hear of another component's destruction.

#include <functional>
#include <string>
#include <vector>

class TComponent;

enum class TOperation { Insert, Remove };

class TComponent {
public:
    explicit TComponent(TComponent* Owner);
    virtual ~TComponent();  // destroys the components it owns, then tells those that asked
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const std::vector<TComponent*>& Components() const { return FComponents; }
    // Asks this component to call Subscriber's Notification when it is destroyed.
    void FreeNotification(TComponent* Subscriber);
    void RemoveFreeNotification(TComponent* Subscriber);

    std::string Name;

protected:
    // A component this one knows of is inserted into or removed from the world.
    virtual void Notification(TComponent* Component, TOperation Operation);

private:
    TComponent* FOwner;
    std::vector<TComponent*> FComponents;    // owned, destroyed with this one
    std::vector<TComponent*> FFreeNotifies;  // told of this one's destruction
};

// A handler bound to its object: assigned when it has a target.
template <class Signature> class TMethod;

template <class Result, class... Args> class TMethod<Result(Args...)> {
public:
    TMethod() = default;
    template <class Object>
    TMethod(Object* Target, Result (Object::*Method)(Args...))
        : Code([Target, Method](Args... Arguments) { return (Target->*Method)(Arguments...); })
    {
    }

    bool Assigned() const { return static_cast<bool>(Code); }
    Result operator()(Args... Arguments) const { return Code(Arguments...); }

private:
    std::function<Result(Args...)> Code;  // the bound method; empty when unassigned
};
