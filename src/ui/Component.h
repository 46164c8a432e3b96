#pragma once
// The component model: a component is owned by another and freed with it, is told once when
// its owner has applied its stored properties, and learns when a component it refers to goes.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TComponent;

using TNotifyEvent = std::function<void(TComponent* Sender)>;

enum class TOperation { opInsert, opRemove };

// Owned components go in reverse order of creation, so later ones (which may refer to earlier
// ones) leave first.
class TComponent {
public:
    explicit TComponent(TComponent* AOwner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // Frees a component: its last virtual step runs while the object is still whole.
    static void Free(TComponent* component) noexcept;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }
    int Tag = 0;

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(index); }
    TComponent* FindComponent(const std::string& name) const;

    // `component` will be told through Notification when this component is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Told once, after the owner has applied every stored property.
    virtual void Loaded() {}
    // Called by the owner's AfterConstruction for itself and everything it owns.
    void LoadedTree();

    void DestroyComponents() noexcept;

protected:
    // A component this one refers to is going away. The base passes the news on to everything
    // this component owns, so siblings learn of each other's destruction.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // The last step before destruction that still dispatches virtually.
    virtual void BeforeDestruction() {}
    bool Destroying() const { return FDestroying; }

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* FOwner = nullptr;
    std::string FName;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    bool FDestroying = false;
};

// Frees through TComponent::Free, for components that nobody else owns.
struct TComponentFree {
    void operator()(TComponent* component) const noexcept { TComponent::Free(component); }
};
template <class T> using TOwned = std::unique_ptr<T, TComponentFree>;
