#include "app/Entry.h"

int main(int argc, char** argv) {
    return varkitMain(argc, argv);
}
