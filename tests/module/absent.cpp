// A library the tests build but never copy, so that one that imports it
// cannot be loaded (the loader reports 126).
extern "C" __declspec(dllexport) int module_absent_function() {
    return 1;
}
