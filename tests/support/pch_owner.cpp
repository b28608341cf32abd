// The program that owns the test executables' precompiled headers: it is built with nothing
// but the libraries, so that no test's own definitions make the headers unusable by another.
int main() { return 0; }
