// The program's entry point: the framework starts the application object.
#include "platform/afx/afx_win_app.h"

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
