// Form resource reader. First byte: 0 streams the input onto a plain TForm; otherwise onto the base
// report form after its own resource, as a derived form's differences. Every input is read or
// refused with EHostError; nothing crashes, and the form is released either way.
#include "core/Errors.h"
#include "forms/FormReader.h"
#include "forms/TApplication.h"
#include "forms/TForm.h"
#include "reporting/TfrmDadosGerRel.h"

#include <QApplication>
#include <QJsonDocument>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char name[] = "fuzz_form_reader";
    static char* qtArgv[] = {name, nullptr};
    new QApplication(qtArgc, qtArgv); // lives for the whole run
    TApplication::instance().initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const bool derived = data[0] & 1;
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
    if (!doc.isObject())
        return 0;
    TForm* form = derived ? new TfrmDadosGerRel(nullptr) : new TForm(nullptr);
    try {
        FormReader reader(form);
        if (derived)
            reader.read(FormReader::resourcePathFor(QStringLiteral("TfrmDadosGerRel")));
        reader.readDocument(doc.object(), QStringLiteral("fuzz.json"));
        reader.finish();
    } catch (const EHostError&) {
    }
    delete form;
    return 0;
}
