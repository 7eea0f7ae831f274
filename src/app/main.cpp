#include <QApplication>

#include "app/ui/QtDialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORVAVal"));
    return 0;
}
