// Gives a resource library an import that cannot be satisfied.
extern "C" __declspec(dllimport) int module_absent_function();
extern "C" __declspec(dllexport) int module_needs_absent() {
    return module_absent_function();
}
