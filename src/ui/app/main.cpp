#include "ui/app/CVelkApp.h"

int main(int argc, char** argv) {
    return velk::ui::runVelkApp(argc, argv);
}
