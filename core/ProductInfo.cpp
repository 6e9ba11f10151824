#include "core/ProductInfo.h"

#include "ProductConfig.h"

namespace ProductInfo {

QString WebSite()
{
    QString site = QStringLiteral(GREMLOK_CFG_WEB_SITE).trimmed();
    while (site.endsWith(QLatin1Char('/')))
        site.chop(1);
    return site;
}

QString SkinsPage()
{
    const QString site = WebSite();
    return site.isEmpty() ? QString() : site + QStringLiteral("/skins");
}

QString SupportEmail()
{
    return QStringLiteral(GREMLOK_CFG_SUPPORT_EMAIL).trimmed();
}

QString VersionText()
{
    return QStringLiteral("Version %1.%2.%3 - %4")
        .arg(GREMLOK_CFG_VERSION_MAJOR)
        .arg(GREMLOK_CFG_VERSION_MINOR)
        .arg(GREMLOK_CFG_VERSION_PATCH)
        .arg(QStringLiteral(GREMLOK_CFG_VERSION_COMMENTS));
}

QString Credits()
{
    return QStringLiteral(GREMLOK_CFG_LEGAL_TRADEMARKS);
}

} // namespace ProductInfo
