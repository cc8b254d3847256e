#include "formcompetitions.h"

#include "datapaths.h"
#include "filewords.h"
#include "nameentry.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tcompetitionlistproxy.h"
#include "tcountry.h"
#include "tevent.h"
#include "tusermodul.h"
#include "ui_formcompetitions.h"
#include "viewmodel.h"
#include "warnings.h"

#include <QDate>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTime>

namespace {

// Weapon codes of the lists' filter.
constexpr int kRifle = 0;
constexpr int kPistol = 1;
constexpr int kNoWeapon = 2;

const QString kAskCompetitionName = QStringLiteral("Введите наименование соревнования.");

} // namespace

FormCompetitions::FormCompetitions(TUserModul *modul, QWidget *parent)
    : QWidget(parent), ui(new Ui::FormCompetitions), m_modul(modul)
{
    ui->setupUi(this);
    setMode(NoMode);
    ui->cBFinal->hide();
    NameEntry::keepWholeText(ui->IEName);
    ui->dateEdit->setDate(QDate::currentDate());
    ui->timeEdit->setTime(QTime::currentTime());
    fillCountries();
}

FormCompetitions::~FormCompetitions()
{
    delete ui;
}

TCompetitionList *FormCompetitions::entryList() const
{
    switch (m_mode) {
    case NewCompetition:
        return m_modul->competitionTypes();
    case StoredCompetition:
        return m_modul->storedCompetitions();
    default:
        return nullptr;
    }
}

TCompetition *FormCompetitions::entry() const
{
    TCompetitionList *list = entryList();
    return list && m_entryID >= 0 ? list->setCurrentID(m_entryID) : nullptr;
}

void FormCompetitions::warn(const QString &title, const QString &text)
{
    Warnings::warning(this, title, text);
}

bool FormCompetitions::typesListed(const TCompetition *competition)
{
    QStringList unlisted;
    // What is missing, then the list and why it lacks it.
    const auto missing = [&unlisted](const QString &what, const QString &file,
                                     const QString &root, const QString &absent) {
        const QString failure = FileWords::listFailure(DataPaths::kEventsDir, file, root);
        unlisted << QStringLiteral("%1 — %2 %3/%4: %5")
                        .arg(what, FileWords::listName(file), DataPaths::kEventsDir, file,
                             failure.isEmpty() ? absent : failure);
    };
    if (!competition->isTypeListed()) {
        missing(QStringLiteral("тип соревнования %1").arg(competition->type()),
                DataPaths::kCompetitionsTypeFile, DataPaths::kCompetitionsTypeRoot,
                QStringLiteral("в нём нет этого типа"));
    }
    for (const TEvent *event : competition->unlistedEvents()) {
        // The type and sub-type find the entry a list lacks; a list that
        // cannot be read is told by its file alone.
        missing(QStringLiteral("%1упражнение %2")
                    .arg(event->isFinal() ? QStringLiteral("финал, ") : QString())
                    .arg(event->num()),
                DataPaths::kEventsTypeFile, DataPaths::kEventsTypeRoot,
                QStringLiteral("в нём нет этого упражнения (тип %1, подтип %2)")
                    .arg(event->typeXMLID())
                    .arg(event->subType()));
    }
    if (unlisted.isEmpty())
        return true;
    // A type from the list has no name of its own; a stored competition
    // also shows its type's, when the list still has it.
    QString name = QStringLiteral("«%1»").arg(competition->name().isEmpty() ? competition->nameRus()
                                                                           : competition->name());
    if (!competition->name().isEmpty() && !competition->nameRus().isEmpty())
        name += QStringLiteral(" (%1)").arg(competition->nameRus());
    // Its exercises would run on default parameters and score wrongly.
    warn(QStringLiteral("Тип не найден в справочнике!"),
         QStringLiteral("Соревнование %1 нельзя провести:\n%2.\n%3")
             .arg(name, unlisted.join(QStringLiteral(";\n")), FileWords::listsRemedy()));
    return false;
}

void FormCompetitions::setMode(int mode)
{
    clearEntry();
    m_mode = mode;
    loadCompetition(NoMode);
    if (mode == NewCompetition) {
        ui->lMode->setText(QStringLiteral("НОВОЕ СОРЕВНОВАНИЕ"));
        ui->wgtXMLType->hide();
        setViewModel(ui->lw_Competitions, m_modul->competitionTypesProxy());
        ui->pbSaveChanges->hide();
        ui->pbDelete->hide();
    } else if (mode == StoredCompetition) {
        ui->lMode->setText(QStringLiteral("СОРЕВНОВАНИЯ:"));
        ui->wgtXMLType->show();
        setViewModel(ui->lw_Competitions, m_modul->storedCompetitionsProxy());
        ui->comboBoxCompetition->setModel(m_modul->competitionTypesProxy());
        // A combo box given a model moves to its first row; no type is chosen yet.
        ui->comboBoxCompetition->setCurrentIndex(-1);
        ui->pbSaveChanges->show();
        ui->pbDelete->show();
    }
}

void FormCompetitions::applyWeaponFilter()
{
    const bool pistol = ui->cBWeaponPistol->isChecked();
    const bool rifle = ui->cBWeaponRifle->isChecked();
    int filter = kNoWeapon;
    if (pistol && rifle)
        filter = TCompetitionlistProxy::kAllWeapons;
    else if (pistol)
        filter = kPistol;
    else if (rifle)
        filter = kRifle;

    // A combo box whose row is filtered away moves to another row, which a
    // save would then store as the competition's type; the type box keeps
    // its type, or shows none while the filter hides it.
    TCompetitionlistProxy *types = m_modul->competitionTypesProxy();
    const int typeID = types->typeIDAtRow(ui->comboBoxCompetition->currentIndex());
    types->setWeaponFilter(filter);
    m_modul->storedCompetitionsProxy()->setWeaponFilter(filter);
    ui->comboBoxCompetition->setCurrentIndex(typeID < 0 ? -1 : types->rowOfTypeID(typeID));
}

void FormCompetitions::fillCountries()
{
    ui->cB_Country->clear();
    for (const TCountry *country = m_modul->countryAt(0); country;
         country = m_modul->nextCountry(country))
        ui->cB_Country->addItem(country->icon(), country->nameRus());
    if (ui->cB_Country->count() > 0)
        ui->cB_Country->setCurrentIndex(0);
}

void FormCompetitions::fillEvents()
{
    ui->lw_events->clear();
    const TCompetition *chosen = entry();
    if (!chosen)
        return;
    const bool withFinal = ui->cBFinal->isChecked();
    for (const TEvent *event = chosen->event(0); event; event = chosen->eventAfter(event)) {
        if (event->isFinal() && !withFinal)
            continue;
        ui->lw_events->addItem(QStringLiteral("%1 %2").arg(
            event->nameRus(), event->isFinished() ? QStringLiteral("Finished") : QString()));
    }
}

void FormCompetitions::loadCompetition(int mode)
{
    const TCompetition *chosen = entry();
    if (!chosen) {
        ui->comboBoxCompetition->setCurrentIndex(-1);
        ui->cBFinal->setChecked(false);
        ui->dateEdit->setDate(QDate::currentDate());
        ui->timeEdit->setTime(QTime::currentTime());
        ui->cB_Country->setCurrentIndex(0);
        ui->IEName->clear();
        fillEvents();
        ui->comboBoxCompetition->setCurrentIndex(-1);
        return;
    }
    const int typeRow = m_modul->competitionTypesProxy()->rowOfTypeID(chosen->type());
    ui->cBFinal->setChecked(chosen->isFinal());
    ui->dateEdit->setDate(chosen->startDate());
    ui->timeEdit->setTime(chosen->startTime());
    if (mode == NewCompetition) {
        ui->cB_Country->setCurrentIndex(0);
    } else if (mode == StoredCompetition) {
        ui->cB_Country->setCurrentIndex(m_modul->countryRow(chosen->countryXMLID()));
        ui->IEName->setText(chosen->name());
    }
    fillEvents();
    ui->comboBoxCompetition->setCurrentIndex(typeRow);
}

void FormCompetitions::setEditWidgetsEnabled(bool enabled)
{
    ui->comboBoxCompetition->setEnabled(enabled);
    ui->cB_Country->setEnabled(enabled);
    ui->dateEdit->setEnabled(enabled);
    ui->timeEdit->setEnabled(enabled);
}

void FormCompetitions::openEntry(const TCompetition *stored)
{
    const TCompetition *current = m_modul->currentCompetition();
    if (!current || current->id() != stored->id())
        m_modul->openCompetition(stored->id(), false);
}

void FormCompetitions::selectCompetition(int mode, const QModelIndex &index)
{
    clearEntry();
    if (!index.isValid()) {
        loadCompetition(mode);
        return;
    }
    if (mode == NewCompetition) {
        setEntryID(index.data(TCompetitionList::CompTypeXMLIDRole).toInt());
        setEditWidgetsEnabled(true);
        loadCompetition(NewCompetition);
    } else if (mode == StoredCompetition) {
        setEntryID(index.data(TCompetitionList::CompIdRole).toInt());
        const TCompetition *stored = entry();
        if (!stored) {
            clearEntry();
            loadCompetition(StoredCompetition);
            return;
        }
        // Opening without members leaves the stored list and its record as they are.
        m_modul->openCompetition(stored->id(), false);
        setEditWidgetsEnabled(!stored->isFirstEventFinished());
        loadCompetition(StoredCompetition);
    } else {
        loadCompetition(mode);
    }
}

bool FormCompetitions::createCompetition()
{
    const TCompetition *type = entry();
    if (!type) {
        warn(QStringLiteral("Упражнение не установлено!"),
             QStringLiteral("Не выбран тип упражнения"));
        return false;
    }
    const TCountry *country = m_modul->countryAt(ui->cB_Country->currentIndex());
    if (!country) {
        warn(QStringLiteral("Страна не выбрана!"), QStringLiteral("Список стран пуст"));
        return false;
    }
    if (!NameEntry::named(this, ui->IEName->text(), QStringLiteral("Соревнование не создано!"),
                          kAskCompetitionName)
        || !typesListed(type)) {
        return false;
    }
    if (m_modul->newCompetition(country->id(), type->type(), false, ui->dateEdit->date(),
                                ui->timeEdit->time(), ui->IEName->text())) {
        const TCompetition *created = m_modul->currentCompetition();
        const QString text = QStringLiteral("Соревнование: %1\n").arg(created->nameEng())
            + QStringLiteral("Страна проведения: %1\n").arg(country->nameRus())
            + QStringLiteral("Наименование: %1\n").arg(created->name())
            + QStringLiteral("Дата проведения: %1\n").arg(created->startDateText())
            + QStringLiteral("Продолжить?");
        QMessageBox box(QMessageBox::Question, QStringLiteral("Будет создано соревнование:"),
                        text, QMessageBox::NoButton, nullptr);
        box.addButton(QMessageBox::Yes)->setText(QStringLiteral("Да"));
        box.addButton(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
        if (Warnings::exec(box) == QMessageBox::Yes)
            return true;
        loadCompetition(NewCompetition);
        m_modul->deleteCompetition();
        return false;
    }
    if (!m_modul->currentCompetition()) {
        warn(QStringLiteral("Упражнение не установлено!"),
             QStringLiteral("Не выбран тип упражнения"));
        return false;
    }
    // The module's competition was not stored: going on would lead the
    // operator into a competition the database does not hold.
    // Said as at start, where an unusable database was told first.
    warn(QStringLiteral("Ошибка базы данных!"),
         m_modul->hasError()
             ? FileWords::storageFailures({{DataPaths::kCompetitionsDb, m_modul->errorText(),
                                            m_modul->lastFailure(),
                                            m_modul->storageHeals()}})
             : QStringLiteral("Соревнование не создано"));
    return false;
}

int FormCompetitions::rowOfStoredCompetition(int competitionID) const
{
    const QAbstractItemModel *proxy = m_modul->storedCompetitionsProxy();
    for (int row = 0; row < proxy->rowCount(); ++row) {
        if (proxy->index(row, 0).data(TCompetitionList::CompIdRole).toInt() == competitionID)
            return row;
    }
    return -1;
}

bool FormCompetitions::saveChanges()
{
    const bool viewHadSelection = !ui->lw_Competitions->selectionModel()->selectedRows().isEmpty();
    const TCompetition *stored = entry();
    if (!stored) {
        warn(QStringLiteral("Упражнение не установлено!"), QStringLiteral("Выберите упражнение"));
        return false;
    }
    openEntry(stored);

    const int typeID =
        m_modul->competitionTypesProxy()->typeIDAtRow(ui->comboBoxCompetition->currentIndex());
    if (typeID < 0) {
        // The weapon filter hides the competition's type: the box shows none.
        warn(QStringLiteral("Упражнение не установлено!"),
             QStringLiteral("Не выбран тип упражнения"));
        return false;
    }
    // A country the list does not hold leaves the box empty; the
    // competition keeps its own.
    const TCountry *country = m_modul->countryAt(ui->cB_Country->currentIndex());
    const int countryID = country ? country->id() : stored->countryXMLID();
    if (!NameEntry::named(this, ui->IEName->text(), QStringLiteral("Данные не изменены!"),
                          kAskCompetitionName)) {
        return false;
    }
    const int competitionID = stored->id();
    // The edit rebuilds the stored list: stored is gone after it.
    if (!m_modul->editCompetition(countryID, typeID, false, ui->dateEdit->date(),
                                  ui->timeEdit->time(), ui->IEName->text())) {
        warn(QStringLiteral("Изменение данных"), QStringLiteral("Данные упражнения не изменены!"));
        return false;
    }

    setEntryID(competitionID);
    const int row = rowOfStoredCompetition(competitionID);
    if (viewHadSelection && row >= 0) {
        const QModelIndex index = m_modul->storedCompetitionsProxy()->index(row, 0);
        ui->lw_Competitions->clearSelection();
        ui->lw_Competitions->selectionModel()->select(index, QItemSelectionModel::Select);
        selectCompetition(StoredCompetition, index);
    } else {
        loadCompetition(StoredCompetition);
    }
    return true;
}

void FormCompetitions::on_pbBack1_clicked()
{
    emit sig_Back();
}

void FormCompetitions::on_cBWeaponPistol_clicked(bool)
{
    applyWeaponFilter();
}

void FormCompetitions::on_cBWeaponRifle_clicked(bool)
{
    applyWeaponFilter();
}

void FormCompetitions::on_lw_Competitions_clicked(const QModelIndex &index)
{
    if (m_mode == NewCompetition || m_mode == StoredCompetition)
        selectCompetition(m_mode, index);
}

void FormCompetitions::on_pBNext1_clicked()
{
    if (m_mode == NewCompetition) {
        if (createCompetition())
            emit sig_Next();
        return;
    }
    if (m_mode != StoredCompetition)
        return;
    const TCompetition *stored = entry();
    if (stored && !typesListed(stored))
        return;
    if (stored)
        m_modul->openCompetition(stored->id(), true);
    if (stored && m_modul->currentCompetition()) {
        emit sig_Next();
        return;
    }
    warn(QStringLiteral("Упражнение не выбрано!"), QStringLiteral("Выберите упражнение"));
}

void FormCompetitions::on_pbSaveChanges_clicked()
{
    saveChanges();
}

void FormCompetitions::on_pbDelete_clicked()
{
    const TCompetition *stored = entry();
    if (!stored) {
        warn(QStringLiteral("Упражнение не удалено!"), QStringLiteral("Выберите упражнение"));
        return;
    }
    openEntry(stored);
    if (!m_modul->deleteCompetition()) {
        warn(QStringLiteral("Упражнение не удалено!"),
             QStringLiteral("Не удалось удалить упражнение"));
        return;
    }
    // The rebuilt list no longer holds the entry: nothing may act on it again.
    clearEntry();
    ui->lw_Competitions->clearSelection();
    loadCompetition(StoredCompetition);
}

void FormCompetitions::on_cBFinal_clicked()
{
    fillEvents();
}
