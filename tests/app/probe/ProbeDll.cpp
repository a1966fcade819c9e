// velix_probe.dll: one export with a known answer, for the module-holder tests.

extern "C" __declspec(dllexport) int __cdecl ProbeAnswer(void) { return 42; }
