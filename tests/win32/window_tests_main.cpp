// The window tests run on this thread, which is their UI thread: OLE is initialised on it first.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (FAILED(::OleInitialize(nullptr))) return 2;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  const int result = RUN_ALL_TESTS();
  ::OleUninitialize();
  return result;
}
