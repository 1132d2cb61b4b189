#include "application.h"

int main(int argc, char** argv) {
    return stakora::qt::runApplication(argc, argv);
}
