// Writes the generic adapter files of a catalogue: one "<PACKAGE>.adp" per [adapter PACKAGE]
// section, built with the application's own adapter-file code so that both agree on the format.
// Usage: make_adapters CATALOGUE_FILE OUTPUT_FOLDER
#include "catalogue/adapter_file.h"
#include "catalogue_file.h"

#include <QDir>
#include <QString>

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_adapters CATALOGUE_FILE OUTPUT_FOLDER\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "make_adapters: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const hwsim::CatalogueFile catalogue = hwsim::parseCatalogue(text.str());
    if (catalogue.deviceErrorLine != 0) {
        std::fprintf(stderr, "%s:%d: %s\n", argv[1], catalogue.deviceErrorLine,
                     catalogue.deviceError.c_str());
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "make_adapters: cannot create %s\n", argv[2]);
        return 1;
    }
    for (const hwsim::CatalogueAdapter& a : catalogue.adapters) {
        QString message;
        if (!zelmo::writeGenericAdapter(folder, QString::fromStdString(a.package), a.plugPins,
                                        a.devicePins, a.wiring, &message)) {
            std::fprintf(stderr, "make_adapters: %s: %s\n", a.package.c_str(),
                         message.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
