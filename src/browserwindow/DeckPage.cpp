#include "browserwindow/DeckPage.h"

#include <QBuffer>
#include <QUuid>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <fstream>

namespace {

// Installed at document creation in the page's own world: every assignment
// to window.status becomes a console message with a prefix no page knows,
// and reading window.status gives the last text back.
QString StatusScript(const QString& prefix)
{
    return QStringLiteral(
               "(function () {\n"
               "  var report = console.log.bind(console);\n"
               "  var last = '';\n"
               "  Object.defineProperty(window, 'status', {\n"
               "    configurable: true, enumerable: true,\n"
               "    get: function () { return last; },\n"
               "    set: function (value) { last = String(value); report(%1 + last); }\n"
               "  });\n"
               "})();\n")
        .arg(QStringLiteral("'") + prefix + QStringLiteral("'"));
}

const char kScheme[] = "deck";
const char kHost[] = "page";
constexpr qint64 kLongestFile = 64 << 20;

QByteArray MimeTypeOf(const QString& name)
{
    const QString suffix = name.section(QLatin1Char('.'), -1).toLower();
    static const struct {
        const char* suffix;
        const char* type;
    } kTypes[] = {
        {"htm", "text/html"}, {"html", "text/html"},  {"xml", "application/xml"}, {"js", "text/javascript"},
        {"css", "text/css"},  {"png", "image/png"},   {"gif", "image/gif"},       {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"}, {"svg", "image/svg+xml"}, {"ini", "text/plain"}, {"txt", "text/plain"},
    };
    for (const auto& type : kTypes) {
        if (suffix == QLatin1String(type.suffix)) {
            return type.type;
        }
    }
    return "application/octet-stream";
}

// Every request leaves through here: only the page's own scheme and data the
// page holds itself pass, never a file: or network address.
class OwnFilesOnly : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QString scheme = info.requestUrl().scheme();
        info.block(scheme != QLatin1String(kScheme) && scheme != QLatin1String("data") &&
                   scheme != QLatin1String("blob"));
    }
};

// A file's bytes, through its name as the file system has it: a folder whose
// name is not UTF-8 is never decoded at all. False for what is not a file.
bool ReadFile(const std::string& path, QByteArray& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kLongestFile) {
        return false;
    }
    in.seekg(0);
    bytes.resize(static_cast<qsizetype>(size));
    return static_cast<bool>(in.read(bytes.data(), size)) || size == 0;
}

}  // namespace

QWebEngineProfile* DeckProfile(DeckScheme* scheme, QObject* parent)
{
    auto* profile = new QWebEngineProfile(parent);
    profile->installUrlSchemeHandler(kScheme, scheme);
    profile->setUrlRequestInterceptor(new OwnFilesOnly(profile));
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest* download) { download->cancel(); });
    return profile;
}

// ---------------------------------------------------------------- scheme

void RegisterDeckScheme()
{
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // The page's own origin: it may read its files, and nothing else may.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl DeckScheme::SetPage(const std::string& path)
{
    pagePath = path;
    const std::size_t slash = path.rfind('/');
    const QByteArray name = QByteArray::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
    pageName = QString::fromUtf8(name);
    QUrl url;
    url.setScheme(QLatin1String(kScheme));
    url.setHost(QLatin1String(kHost));
    url.setPath(QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(name)), QUrl::TolerantMode);
    return url;
}

void DeckScheme::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    const QString name = url.path(QUrl::FullyDecoded).mid(1);
    std::string path;
    if (url.host() != QLatin1String(kHost) || job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    if (!pagePath.empty() && name == pageName) {
        path = pagePath;
    } else {
        // Under the working folder only: no way up and no absolute name.
        for (const QString& part : name.split(QLatin1Char('/'))) {
            if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) {
                job->fail(QWebEngineUrlRequestJob::RequestDenied);
                return;
            }
        }
        path = folder + "/" + name.toUtf8().toStdString();
    }
    QByteArray bytes;
    if (!ReadFile(path, bytes)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(bytes);
    job->reply(MimeTypeOf(name), buffer);
}

DeckPage::DeckPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent),
      prefix(QStringLiteral("\x01status-") + QUuid::createUuid().toString(QUuid::WithoutBraces) +
             QStringLiteral(":"))
{
    QWebEngineScript script;
    script.setName(QStringLiteral("window.status reporter"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(StatusScript(prefix));
    scripts().insert(script);

    // The page reads its files through its own scheme; nothing else is fetched.
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);

    connect(this, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        if (statusText) {
            statusText(url);
        }
    });
}

void DeckPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                        int lineNumber, const QString& sourceId)
{
    if (message.startsWith(prefix)) {
        if (statusText) {
            statusText(message.mid(prefix.size()));
        }
        if (pageStatus) {
            pageStatus();
        }
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceId);
}

// Leaving the page would lose the deck being edited, and the page has no
// business anywhere else: only its own address (and frames of its own
// scheme) may load.
bool DeckPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame)
{
    if (url.scheme() != QLatin1String(kScheme)) {
        return false;
    }
    return !isMainFrame || url.adjusted(QUrl::RemoveFragment) == pageUrl;
}
