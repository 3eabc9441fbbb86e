#include "app/Run.h"

int main(int argc, char** argv) { return RunTessuri(argc, argv); }
