// The component model: components with owners, names, free-notification
// and loading state, actions, and the pointer list.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Types.h"

class EComponentError : public Exception { using Exception::Exception; };

enum TComponentStateFlag {
    csLoading,     // the component is being created from a stored layout
    csReading,     // its properties are being read
    csDestroying,  // it is being destroyed
    csDesigning,   // it is in a designer
};
using TComponentState = Set<TComponentStateFlag>;

enum TOperation { opInsert, opRemove };

// A named object with an owner. The owner frees what it owns; referenced
// components that belong to someone else are cleared through free
// notification. Components live on the heap and end through Free() (or
// their owner), so that every class of the component still exists while
// the notifications of its end run.
class TComponent : public TPersistent {
public:
    LV_CLASS_NAME(TComponent)
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // Runs the end of life in order (BeforeDestruction, then delete). It
    // runs to its end whatever fails on the way: a failing step is handed to
    // the error handler (RunCleanup) and the component is deleted all the
    // same.
    void Free() noexcept;

    TComponent* Owner() const { return owner_; }
    const String& Name() const { return name_; }
    virtual void SetName(const String& NewName);
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    // The owned component of that name, compared without regard to case.
    TComponent* FindComponent(std::u16string_view AName) const;

    TComponentState ComponentState() const { return state_; }
    bool IsLoading() const { return state_.Contains(csLoading); }
    bool IsReading() const { return state_.Contains(csReading); }
    bool IsDestroying() const { return state_.Contains(csDestroying); }
    bool IsDesigning() const { return state_.Contains(csDesigning); }

    // AComponent is told (Notification opRemove) when this component ends.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);

    // Sets csDestroying on this component and everything it owns.
    void Destroying();

    std::intptr_t Tag = 0;

    // Framework-internal: the layout reader switches these flags.
    void SetStateFlag(TComponentStateFlag flag, bool on);
    void SetDesigning(bool on, bool includeOwned = true);

    // The component was inserted into or removed from the owner's list, or a
    // component that this one asked for free notification is going away.
    // The default passes the notification on to every owned component.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Called on every component after a stored layout has been read.
    virtual void Loaded();

    // What stored layouts need of the classes above the component model.
    // Reading: the component is placed on the component it is read into
    // (a control takes it as its parent); when it holds children (a windowed
    // control), the components listed inside it in the layout are read onto
    // it, through ReadChildren, else onto its own parent.
    virtual void SetParentComponent(TComponent* Parent) {}
    virtual bool HoldsChildren() const { return false; }
    virtual void ReadChildren(const std::function<void()>& Read) { Read(); }
    // Writing: a component that has a parent is written inside it (Proc is
    // called for the children of this one that Root owns); the others are
    // written by the root.
    virtual bool HasParent() const { return false; }
    virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {}

protected:
    // First step of the end of life, while the whole object still exists:
    // marks it destroying, frees owned components and tells those who asked.
    virtual void BeforeDestruction();
    virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent) noexcept;
    // The part of the end of life that every component has: those who asked
    // are told, owned components freed, the owner left. Whatever of it has
    // already run is not repeated.
    void EndOfLife() noexcept;
    void DestroyComponents() noexcept;
    void RemoveNotification(TComponent* AComponent) noexcept;
    void NotifyFreeNotifies() noexcept;

    TComponent* owner_ = nullptr;
    String name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    TComponentState state_;
    bool endStarted_ = false;
};

// Deleter that ends a component through Free().
struct TComponentDeleter {
    void operator()(TComponent* c) const noexcept {
        if (c) c->Free();
    }
};
template <class T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

template <class T, class... Args>
TOwned<T> MakeOwned(Args&&... args) {
    return TOwned<T>(new T(std::forward<Args>(args)...));
}

// The pointer list: indexed access raises EListError outside 0..Count-1.
class TList : public TObject {
public:
    LV_CLASS_NAME(TList)
    ~TList() override = default;

    int Count() const { return static_cast<int>(items_.size()); }
    void* Get(int Index) const;
    void Put(int Index, void* Item);
    int Add(void* Item);
    void Insert(int Index, void* Item);
    virtual void Delete(int Index);
    int Remove(void* Item);
    int IndexOf(void* Item) const;
    void Move(int CurIndex, int NewIndex);
    void Exchange(int Index1, int Index2);
    virtual void Clear();

    static void Error(const char16_t* message, int data);

private:
    std::vector<void*> items_;
};

class TBasicActionLink;

// An action: a command object that controls can carry out. Its clients
// (controls, through their links; see ActnList.h) hear of its changes and
// run it.
class TBasicAction : public TComponent {
public:
    LV_CLASS_NAME(TBasicAction)
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;

    // Runs OnExecute; false when there is none.
    virtual bool Execute();
    // The component whose link ran the action last.
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* Value) noexcept { actionComponent_ = Value; }

    void RegisterChanges(TBasicActionLink* Value);
    void UnRegisterChanges(TBasicActionLink* Value);
    int ClientCount() const { return static_cast<int>(clients_.size()); }
    TBasicActionLink* Clients(int Index) const { return clients_.at(static_cast<size_t>(Index)); }

    TNotifyEvent OnExecute;

protected:
    // Tells every client link that the action changed.
    virtual void Change();

private:
    std::vector<TBasicActionLink*> clients_;
    TComponent* actionComponent_ = nullptr;
};

// The application's current hint, offered to the controls of its windows
// whenever it changes, so that a control can show it.
class THintAction : public TBasicAction {
public:
    LV_CLASS_NAME(THintAction)
    using TBasicAction::TBasicAction;
    const String& Hint() const { return hint_; }
    void SetHint(const String& v) { hint_ = v; }

private:
    String hint_;
};
