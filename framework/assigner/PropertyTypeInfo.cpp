#include "PropertyTypeInfo.h"

#include <QByteArrayView>

bool TPropertyTypeInfo::IsClassType(const QMetaProperty& AProperty)
{
    return AProperty.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

const QMetaObject& TPropertyTypeInfo::ClassOf(const QMetaProperty& AProperty)
{
    return *AProperty.metaType().metaObject();
}

bool TPropertyTypeInfo::IsProcedureType(const QMetaProperty& AProperty)
{
    const QByteArrayView nome(AProperty.metaType().name());
    return nome.startsWith("std::function<") || nome.contains("(*)(") || nome.contains("::*)(");
}
