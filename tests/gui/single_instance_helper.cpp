// A program start for the single-instance tests, run as a separate process.
//
//   single_instance_helper KEY [ARGUMENTS...]
//     hands the joined arguments to a running instance and exits 0; exits 3
//     when it became the listening instance instead, 4 when it could do
//     neither.
//   single_instance_helper --serve KEY
//     listens, writes "listening" to standard output and runs until killed.
#include <QCoreApplication>
#include <QTextStream>

#include "gui/single_instance.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() >= 3 && arguments[1] == QLatin1String("--serve")) {
        TSingleInstance instance(arguments[2]);
        if (!instance.listen())
            return 4;
        QTextStream(stdout) << "listening" << Qt::endl;
        return QCoreApplication::exec();
    }
    if (arguments.size() < 2)
        return 2;
    TSingleInstance instance(arguments[1]);
    // The key stands where the program name would.
    if (instance.tryHandOver(joinedFileArgument(arguments.mid(1)), 3000))
        return 0;
    return instance.listen() ? 3 : 4;
}
