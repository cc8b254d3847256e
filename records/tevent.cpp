#include "tevent.h"

#include "datapaths.h"

#include "ttargettype.h"
#include "xmlfile.h"

#include <QDomDocument>
#include <QDomElement>
#include <QDomNamedNodeMap>

namespace {

const QString &kEventsTypeFile = DataPaths::kEventsTypeFile;

constexpr int kDefaultMatchCount = 10;
constexpr int kDefaultTargetNum = 3;
constexpr double kDefaultControlValue = 10.4;
constexpr int kDefaultCalibre = 450;

const QString kMatchCount = QStringLiteral("MatchCount");
const QString kTargetNum = QStringLiteral("TargetNum");
const QString kControlValue = QStringLiteral("ControlValue");
const QString kView10 = QStringLiteral("VIew10");
const QString kOldID = QStringLiteral("OldID");
const QString kCalibre = QStringLiteral("Calibre");
const QString kNoParam = QStringLiteral("NONE");

} // namespace

TEvent::TEvent()
    : m_startDate(QDate::currentDate()), m_startTime(QTime::currentTime())
{
}

TEvent::TEvent(int ID, int typeXMLID, int subType, int weapon, const QString &NameEng,
               const QString &NameRus, const QString &SubNameEng, const QString &SubNameRus)
    : m_ID(ID),
      m_startDate(QDate::currentDate()),
      m_startTime(QTime::currentTime()),
      m_typeXMLID(typeXMLID),
      m_subType(subType),
      m_weapon(weapon),
      m_NameEng(NameEng),
      m_NameRus(NameRus),
      m_SubNameEng(SubNameEng),
      m_SubNameRus(SubNameRus)
{
}

void TEvent::setStartDateTime(const QDate &date, const QTime &time)
{
    m_startDate = date;
    m_startTime = time;
}

bool TEvent::isSeriesType() const
{
    return m_NameEng == QLatin1String("SimpleOne") || m_NameEng == QLatin1String("DifficultOne");
}

QString TEvent::nameEng() const
{
    return isSeriesType() ? m_SubNameEng : m_NameEng;
}

QString TEvent::nameRus() const
{
    return isSeriesType() ? m_SubNameRus : m_NameRus;
}

QString TEvent::fullNameEng() const
{
    return isSeriesType() ? m_SubNameEng : m_NameEng + QLatin1Char(' ') + m_SubNameEng;
}

QString TEvent::startDateTimeSql() const
{
    return m_startDate.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
        + m_startTime.toString(QStringLiteral("HH:mm:ss"));
}

QString TEvent::startDateTimeText() const
{
    return m_startDate.toString(QStringLiteral("dd/MM/yyyy")) + QLatin1Char(' ')
        + m_startTime.toString(QStringLiteral("HH:mm"));
}

QString TEvent::param(const QString &key) const
{
    for (auto it = m_params.constBegin(); it != m_params.constEnd(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value();
    }
    return kNoParam;
}

int TEvent::paramInt(const QString &key) const
{
    bool ok = false;
    const int value = param(key).toInt(&ok, 10);
    return ok ? value : -1;
}

std::optional<int> TEvent::exactIntParam(const QString &key) const
{
    const auto it = m_params.constFind(key);
    if (it == m_params.constEnd())
        return std::nullopt;
    bool ok = false;
    const int value = it.value().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

int TEvent::matchCount() const
{
    return exactIntParam(kMatchCount).value_or(kDefaultMatchCount);
}

const TTargetType *TEvent::targetType() const
{
    return targetTypeById(exactIntParam(kTargetNum).value_or(kDefaultTargetNum));
}

double TEvent::controlValue() const
{
    const auto it = m_params.constFind(kControlValue);
    if (it == m_params.constEnd())
        return kDefaultControlValue;
    bool ok = false;
    const double value = it.value().toDouble(&ok);
    return ok ? value : kDefaultControlValue;
}

bool TEvent::isView10() const
{
    const std::optional<int> value = exactIntParam(kView10);
    return value ? *value == 1 : true;
}

bool TEvent::isOldID() const
{
    const std::optional<int> value = exactIntParam(kOldID);
    return value ? *value != 0 : true;
}

int TEvent::calibre() const
{
    return exactIntParam(kCalibre).value_or(kDefaultCalibre);
}

bool TEvent::readEventsType(const QString &directory)
{
    m_listed = false;
    if (m_typeXMLID < 0)
        return false;
    QDomDocument document;
    if (!readXmlFile(directory + QLatin1Char('/') + kEventsTypeFile, DataPaths::kEventsTypeRoot, &document))
        return false;
    const QDomElement root = document.documentElement();

    const QString typeText = QString::number(m_typeXMLID);
    for (QDomElement type = root.firstChildElement(); !type.isNull();
         type = type.nextSiblingElement()) {
        if (type.attribute(QStringLiteral("ID")) != typeText)
            continue;
        m_NameEng = type.attribute(QStringLiteral("NameEng"));
        m_NameRus = type.attribute(QStringLiteral("NameRus"));
        if (m_subType < 1) {
            m_listed = true;
            return true;
        }

        m_params.clear();
        const QString subTypeText = QString::number(m_subType);
        for (QDomElement sub = type.firstChildElement(); !sub.isNull();
             sub = sub.nextSiblingElement()) {
            if (sub.attribute(QStringLiteral("SubNum")) != subTypeText)
                continue;
            const QDomNamedNodeMap attributes = sub.attributes();
            for (int i = 0; i < attributes.count(); ++i) {
                const QDomAttr attribute = attributes.item(i).toAttr();
                const QString name = attribute.name();
                if (name == QLatin1String("SubNum"))
                    continue;
                if (name == QLatin1String("SubNameEng"))
                    m_SubNameEng = attribute.value();
                else if (name == QLatin1String("SubNameRus"))
                    m_SubNameRus = attribute.value();
                else
                    m_params.insert(name, attribute.value());
            }
            m_listed = true;
            break;
        }
        return true;
    }
    return false;
}

bool TEvent::lessThan(const TEvent *a, const TEvent *b)
{
    if (a->isFinal())
        return false;
    return b->isFinal() || a->num() < b->num();
}
