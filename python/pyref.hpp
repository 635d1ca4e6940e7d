// PyRef: one owning reference to a Python object.
#pragma once

#include <Python.h>

#include <utility>

namespace orvy::py {

// Owns one strong reference. Destroy it only while holding the interpreter lock.
class PyRef {
public:
    PyRef() = default;
    static PyRef steal(PyObject* object) { return PyRef(object); }
    static PyRef borrow(PyObject* object)
    {
        Py_XINCREF(object);
        return PyRef(object);
    }

    PyRef(PyRef const& other) : m_object(other.m_object) { Py_XINCREF(m_object); }
    PyRef(PyRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) { }
    PyRef& operator=(PyRef other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~PyRef() { Py_XDECREF(m_object); }

    PyObject* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool is_none() const { return m_object == Py_None; }
    // Hands the reference to the caller (for returning to the interpreter).
    PyObject* release() { return std::exchange(m_object, nullptr); }
    void reset() { PyRef().swap(*this); }
    void swap(PyRef& other) noexcept { std::swap(m_object, other.m_object); }

private:
    explicit PyRef(PyObject* object) : m_object(object) { }
    PyObject* m_object = nullptr;
};

inline PyObject* new_none() { Py_RETURN_NONE; }
inline PyObject* new_bool(bool value) { return PyBool_FromLong(value); }

}
