extern "C" void IniProc() {}
