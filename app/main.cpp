#include "app/Form1.h"
#include "app/StartupError.h"
#include "store/Database.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarnel"));
    Form1 form;
    try {
        form.Form_Load();
    } catch (const DbError& error) {
        reportStartupError(error);
        return 1;
    }
    form.show();
    return QApplication::exec();
}
