#pragma once

#include <QObject>
#include <QString>

// A team of the "tteam" table. Its short name column is written only by the
// schema script, so the record does not carry it.
class TTeam : public QObject
{
    Q_OBJECT

public:
    TTeam() = default;
    TTeam(int id, int countryXMLID, const QString &name);

    int id() const { return m_id; }
    void setID(int id) { m_id = id; }
    int countryXMLID() const { return m_countryXMLID; }
    void setCountryXMLID(int id) { m_countryXMLID = id; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

private:
    int m_id = -1;
    int m_countryXMLID = -1;
    QString m_name;
};
