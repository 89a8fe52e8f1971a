#pragma once

#include <functional>
#include <vector>

#include "platform/base/strings.h"

class FormPropertyReader;
class FormBindings;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The class's own name: what form definitions and window classes use.
    virtual const char* ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// A component with an owner that frees it. Owned components are freed
// last created first, when the owner goes or on DestroyComponents().
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<std::size_t>(index)); }
    // Names compare without regard to ASCII case; nullptr when none matches.
    TComponent* FindComponent(const UnicodeString& name) const;

    UnicodeString Name;
    int Tag = 0;

    // True while the form loader is setting the component's properties.
    bool Loading() const { return FLoading; }

    // Applies one property of a form definition; false when the class has
    // no property of that name. Each class handles its own and passes the
    // rest to its base.
    virtual bool SetProperty(const FormPropertyReader& property, const FormBindings& bindings);

protected:
    // Called once all properties of the whole form have been set.
    virtual void Loaded() {}
    void DestroyComponents();

private:
    friend class FormLoader;

    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
    bool FLoading = false;
};

bool SameText(const UnicodeString& a, const UnicodeString& b);
