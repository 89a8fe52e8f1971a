#include "platform/base/form_bindings.h"

void FormBindings::BindField(const std::string& name, TComponent* component, int line)
{
    for (FieldBinding& field : FFields) {
        if (field.Name != name)
            continue;
        if (field.Bound)
            throw EFormDefinitionError(FSource, line, "a second component named " + name);
        if (!field.Assign(component))
            throw EFormDefinitionError(FSource, line,
                                       "the field " + name + " does not take a " + component->ClassName());
        field.Bound = true;
        return;
    }
    throw EFormDefinitionError(FSource, line, "the form has no field " + name);
}

TNotifyEvent FormBindings::FindHandler(const FormPropertyReader& property) const
{
    const std::string& name = property.AsIdentifier();
    for (const HandlerBinding& handler : FHandlers)
        if (handler.Name == name)
            return handler.Handler;
    property.Fail("the form has no handler " + name);
}

void FormBindings::CheckAllBound(int line) const
{
    for (const FieldBinding& field : FFields)
        if (!field.Bound)
            throw EFormDefinitionError(FSource, line, "no component for the field " + field.Name);
}
