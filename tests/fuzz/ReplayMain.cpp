// Runs a fuzz target once on each file given, or on each file of each folder given: the corpus
// and the inputs that once failed, as an ordinary test without fuzzing. Prints the closing count.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    std::vector<QString> inputs;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QFile::decodeName(argv[i]);
        if (QFileInfo(arg).isDir()) {
            for (const QFileInfo& entry : QDir(arg).entryInfoList(QDir::Files, QDir::Name))
                if (!entry.fileName().startsWith(QLatin1Char('.')))
                    inputs.push_back(entry.filePath());
        } else if (QFileInfo(arg).isFile()) {
            inputs.push_back(arg);
        }
    }
    int one = 1;
    LLVMFuzzerInitialize(&one, &argv);
    for (const QString& input : inputs) {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly)) {
            std::printf("cannot read %s\n", qPrintable(input));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        std::printf("%s\n", qPrintable(input));
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size()));
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
