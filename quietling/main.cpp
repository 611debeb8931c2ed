// Quietling: the placeholder application that stands in as the handler "None".
#include <exception>

#include "quietling/ApplicationMain.h"

int main(int argc, char** argv) {
  try {
    return quietling::ApplicationMain(argc, argv);
  } catch (...) {
    return 1;
  }
}
