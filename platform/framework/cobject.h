// The class library's root class. Its virtual operations open every
// framework object's table of virtual operations: the run-time class, the
// destructor, then serialisation, the validity check and the dump, which do
// nothing here.
#pragma once

class CArchive;
class CDumpContext;

// The run-time class record: the class name and the size of an object.
struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
};

class CObject {
public:
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& dc) const;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
