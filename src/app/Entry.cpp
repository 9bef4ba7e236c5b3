#include "app/Entry.h"

#include <QCoreApplication>

int varkitMain(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return 1;
}
