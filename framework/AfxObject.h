// CObject: the root of the framework's classes, with run-time class names.
#pragma once

#include <cstring>

struct CRuntimeClass
{
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    bool IsDerivedFrom(const CRuntimeClass* base) const
    {
        for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
            if (c == base) return true;
        return false;
    }
};

#define RUNTIME_CLASS(class_name) (&class_name::classInfo)

#define DECLARE_DYNAMIC(class_name)                                        \
public:                                                                    \
    static const CRuntimeClass classInfo;                                  \
    const CRuntimeClass* GetRuntimeClass() const override { return &classInfo; }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                     \
    const CRuntimeClass class_name::classInfo = { #class_name, RUNTIME_CLASS(base_class_name) };

class CObject
{
public:
    static const CRuntimeClass classInfo;

    virtual const CRuntimeClass* GetRuntimeClass() const { return &classInfo; }
    virtual ~CObject() = default;

    bool IsKindOf(const CRuntimeClass* runtimeClass) const
    {
        return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
    }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
