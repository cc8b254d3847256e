#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// One country of "CountyList.xml". Shooters, teams and competitions refer to
// it by ID only.
class TCountry
{
public:
    TCountry() = default;

    int id() const { return m_id; }
    void setID(int id) { m_id = id; }
    QString nameShort() const { return m_nameShort; }
    void setNameShort(const QString &name) { m_nameShort = name; }
    QString nameShort1() const { return m_nameShort1; }
    void setNameShort1(const QString &name) { m_nameShort1 = name; }
    QString nameRus() const { return m_nameRus; }
    void setNameRus(const QString &name) { m_nameRus = name; }
    QString nameEng() const { return m_nameEng; }
    void setNameEng(const QString &name) { m_nameEng = name; }
    // File name of the flag image, relative to the list's folder.
    QString fFile() const { return m_fFile; }
    void setFFile(const QString &fileName) { m_fFile = fileName; }

    QImage flag() const { return m_flag; }
    void setFlag(const QImage &flag) { m_flag = flag; }
    QIcon icon() const { return m_icon; }
    void setIcon(const QPixmap &pixmap);

private:
    int m_id = 0;
    QString m_nameShort;
    QString m_nameShort1;
    QString m_nameRus;
    QString m_nameEng;
    QString m_fFile;
    QImage m_flag;
    QIcon m_icon;
};
