#include "platform/OptionalModule.h"

#include "core/Logging.h"
#include "core/modGremlok.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibrary>

#ifndef GREMLOK_MODULE_DIR
#define GREMLOK_MODULE_DIR "../lib/gremlok"
#endif

namespace platform {

namespace {
QString g_folder;
} // namespace

OptionalModule::OptionalModule(const QString& name)
    : m_name(name)
{
}

// Never unloaded: the modules' objects (the open history, the window's class) live until the
// program ends.
OptionalModule::~OptionalModule() = default;

void OptionalModule::SetFolder(const QString& folder)
{
    g_folder = folder;
}

QStringList OptionalModule::Candidates() const
{
    const QString file = QStringLiteral("lib%1.so").arg(m_name);
    if (!g_folder.isEmpty())
        return {QDir(g_folder).filePath(file)};
    const QString program = modGremlok::ProgramFolder();
    return {QDir::cleanPath(program + QStringLiteral("/" GREMLOK_MODULE_DIR "/") + file),
            QDir(program).filePath(file)};
}

QFunctionPointer OptionalModule::resolve(const char* symbol)
{
    if (!m_library || !m_library->isLoaded()) {
        const QStringList candidates = Candidates();
        QString path;
        for (const QString& c : candidates)
            if (QFileInfo(c).isFile()) {
                path = c;
                break;
            }
        if (path.isEmpty()) {
            m_error = QStringLiteral("%1 was not found (looked for %2)")
                          .arg(m_name, candidates.join(QStringLiteral(", ")));
            return nullptr;
        }
        QElapsedTimer t;
        t.start();
        m_library = std::make_unique<QLibrary>(path);
        // Every symbol bound now: a module that does not fit this program fails here, not with
        // a missing symbol in the middle of a fight's end.
        m_library->setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!m_library->load()) {
            m_error = m_library->errorString();
            return nullptr;
        }
        qCDebug(lcPlatform) << "module" << path << "loaded in" << t.elapsed() << "ms";
    }
    const QFunctionPointer f = m_library->resolve(symbol);
    m_error = f ? QString()
                : QStringLiteral("%1 has no entry point %2 (built for another version?)")
                      .arg(m_library->fileName(), QString::fromLatin1(symbol));
    return f;
}

} // namespace platform
