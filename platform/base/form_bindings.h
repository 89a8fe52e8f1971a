#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/base/classes.h"
#include "platform/base/form_definition.h"

// What a form class offers its definition: the fields that receive the
// components by name, and the handlers that events name. Declared by each
// form class in small explicit tables; a definition that names anything
// else, or leaves a field without its component, is an error.
class FormBindings {
public:
    explicit FormBindings(std::string_view source) : FSource(source) {}

    template <class Component>
    void Field(const char* name, Component*& field)
    {
        FFields.push_back({name, [&field](TComponent* component) {
                               auto* typed = dynamic_cast<Component*>(component);
                               if (typed)
                                   field = typed;
                               return typed != nullptr;
                           }});
    }

    template <class Form>
    void Handler(const char* name, Form* form, void (Form::*method)(TObject* Sender))
    {
        FHandlers.push_back({name, [form, method](TObject* Sender) { (form->*method)(Sender); }});
    }

    // Stores the component in the field of its name.
    void BindField(const std::string& name, TComponent* component, int line);
    // The handler an event property names.
    TNotifyEvent FindHandler(const FormPropertyReader& property) const;
    // Every field must have received its component.
    void CheckAllBound(int line) const;

    std::string_view Source() const { return FSource; }

private:
    struct FieldBinding {
        std::string Name;
        std::function<bool(TComponent*)> Assign;
        bool Bound = false;
    };
    struct HandlerBinding {
        std::string Name;
        TNotifyEvent Handler;
    };

    std::string_view FSource;
    std::vector<FieldBinding> FFields;
    std::vector<HandlerBinding> FHandlers;
};
