// The framework's grid-event interface: the grid dialog's handlers of the
// grid's events; every one does nothing unless a dialog overrides it.
#pragma once

class Ifc_GridMsg {
public:
    Ifc_GridMsg() = default;
    Ifc_GridMsg(const Ifc_GridMsg&) = default;
    Ifc_GridMsg& operator=(const Ifc_GridMsg&) = default;
    virtual ~Ifc_GridMsg() = default;

    virtual void OnSelectionChanged(int /*row*/, int /*col*/) {}
    virtual void OnBeginEdit(int /*row*/, int /*col*/) {}
    virtual void OnDoubleClickCell(int /*row*/, int /*col*/) {}
    virtual void OnLeftClickCell(int /*row*/, int /*col*/) {}
    virtual void OnMouseMoved(int /*row*/, int /*col*/) {}
    virtual void OnRightClickCell(int /*row*/, int /*col*/) {}
    virtual void OnFocusChanging(int /*row*/, int /*col*/) {}
};
