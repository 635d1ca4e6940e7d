#include <Python.h>
static PyModuleDef def = { PyModuleDef_HEAD_INIT, "_orvy", nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr };
PyMODINIT_FUNC PyInit__orvy(void) { return PyModuleDef_Init(&def); }
