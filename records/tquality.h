#pragma once

#include <QObject>
#include <QString>

// A sports qualification of the "tqualifications" table.
class TQuality : public QObject
{
    Q_OBJECT

public:
    TQuality() = default;
    TQuality(int id, const QString &name, const QString &shortName);

    int id() const { return m_id; }
    void setID(int id) { m_id = id; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // Shown in upper case whatever case the operator typed; stored as typed.
    QString shortName() const { return m_shortName.toUpper(); }
    void setShortName(const QString &shortName) { m_shortName = shortName; }

private:
    int m_id = -1;
    QString m_name;
    QString m_shortName;
};
