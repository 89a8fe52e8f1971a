#include "platform/base/classes.h"

#include <algorithm>

#include "platform/base/form_definition.h"

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner)
{
    if (FOwner)
        FOwner->FComponents.push_back(this);
}

TComponent::~TComponent()
{
    DestroyComponents();
    if (FOwner) {
        auto& siblings = FOwner->FComponents;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

void TComponent::DestroyComponents()
{
    // Each owned component takes itself off the list as it goes.
    while (!FComponents.empty())
        delete FComponents.back();
}

TComponent* TComponent::FindComponent(const UnicodeString& name) const
{
    for (TComponent* component : FComponents)
        if (SameText(component->Name, name))
            return component;
    return nullptr;
}

bool SameText(const UnicodeString& a, const UnicodeString& b)
{
    auto lower = [](WideChar c) { return c >= 'A' && c <= 'Z' ? static_cast<WideChar>(c - 'A' + 'a') : c; };
    return std::equal(a.View().begin(), a.View().end(), b.View().begin(), b.View().end(),
                      [&](WideChar x, WideChar y) { return lower(x) == lower(y); });
}

bool TComponent::SetProperty(const FormPropertyReader& property, const FormBindings&)
{
    if (property.Name() == "Tag") {
        Tag = property.AsInteger();
        return true;
    }
    return false;
}
