#pragma once

#include <QMetaObject>
#include <QMetaProperty>

// What the assigner needs to know about a property's type beyond what QMetaProperty tells
// directly.
class TPropertyTypeInfo {
public:
    // A pointer to a QObject-derived class: the assigner fills the object it points to.
    static bool IsClassType(const QMetaProperty& AProperty);
    // The declared class of a class-typed property.
    static const QMetaObject& ClassOf(const QMetaProperty& AProperty);
    // A callback: a function pointer, a member function pointer or a std::function. Callbacks
    // belong to the object they were set on and are never copied. Qt names such types by their
    // spelled-out form ("void(*)(int)", "std::function<void()>") unless they were declared
    // under another name with Q_DECLARE_METATYPE, which callback types must therefore not be.
    static bool IsProcedureType(const QMetaProperty& AProperty);
};
