#include "settings/gui/form4.h"

#include "platform/settingsstore.h"
#include "platform/workingfolders.h"
#include "settings/settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QSpinBox>
#include <QStorageInfo>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <cstring>
#include <iterator>

int TForm4::s_okAnswer = 0;

namespace {

enum class Kind {
    Spin,
    Check,
    Radio,
    Edit,
    Password,
    Note,
    Button,
    Combo,
    List,
    Slider,
    FreeSpace,
    Thumbnails
};

// One control of the dialog. Rows of one page and group caption that follow
// each other share a group box (no caption: no box); within it a row is
// label, control, unit, unless `column`/`span` place it otherwise.
// Settings bound through `number`, `flag` or `line` are filled and stored
// without further rules; the others are handled by name.
struct Row
{
    int page;
    const char *group;
    Kind kind;
    const char *name;
    const char *text = nullptr;
    const char *unit = nullptr;
    int min = 0;
    int max = 0;
    int step = 1;
    int Settings::*number = nullptr;
    bool Settings::*flag = nullptr;
    QString Settings::*line = nullptr;
    int column = 0;
    int span = 3;
    bool sameRow = false;
    bool hidden = false;

    // On the row before, in `at`, one column wide.
    Row beside(int at) const
    {
        Row r = *this;
        r.column = at;
        r.span = 1;
        r.sameRow = true;
        return r;
    }
    Row spanning(int columns) const
    {
        Row r = *this;
        r.span = columns;
        return r;
    }
    Row unseen() const
    {
        Row r = *this;
        r.hidden = true;
        return r;
    }
};

enum Page { Directory, Search, Connection, LogIn, Contents, System, Thumbnails, Advanced };

const char *const PageCaptions[] = {"Directory/Picture Names",
                                    "Search",
                                    "Connection",
                                    "Log in",
                                    "Contents",
                                    "*System*",
                                    "*Thumbnails*",
                                    "*Advanced*"};

Row spin(int page, const char *group, const char *name, const char *label, const char *unit, int min, int max,
         int step, int Settings::*field)
{
    return {.page = page,
            .group = group,
            .kind = Kind::Spin,
            .name = name,
            .text = label,
            .unit = unit,
            .min = min,
            .max = max,
            .step = step,
            .number = field};
}
Row slider(int page, const char *group, const char *name, const char *label, const char *unit, int min,
           int max, int Settings::*field)
{
    Row r = spin(page, group, name, label, unit, min, max, 1, field);
    r.kind = Kind::Slider;
    return r;
}
Row check(int page, const char *group, const char *name, const char *text, bool Settings::*field = nullptr)
{
    return {.page = page, .group = group, .kind = Kind::Check, .name = name, .text = text, .flag = field};
}
Row edit(int page, const char *group, const char *name, const char *label, QString Settings::*field = nullptr,
         Kind kind = Kind::Edit)
{
    return {.page = page, .group = group, .kind = kind, .name = name, .text = label, .line = field};
}
Row password(int page, const char *group, const char *name, const char *label,
             QString Settings::*field = nullptr)
{
    return edit(page, group, name, label, field, Kind::Password);
}
Row plain(Kind kind, int page, const char *group, const char *name, const char *text = nullptr)
{
    return {.page = page, .group = group, .kind = kind, .name = name, .text = text};
}

using S = Settings;
constexpr Kind Note = Kind::Note;
constexpr Kind Radio = Kind::Radio;
constexpr Kind Button = Kind::Button;

const Row Rows[] = {
    plain(Kind::Edit, Directory, " Directory ", "Edit1"),
    plain(Note, Directory, " Directory ", "Label2",
          "(It is the root directory  where you store your pictures.)"),
    edit(Directory, " Directory ", "Edit9", "Subdirectory", &S::subdirectory),
    plain(Radio, Directory, " Picture Names ", "RadioButton1", "Save the pictures with original names"),
    plain(Radio, Directory, " Picture Names ", "RadioButton2", "Stamp the picture names with time info"),
    plain(Kind::FreeSpace, Directory, " Hard Disk ", "Label8", "Your free hard disk space is :"),
    plain(Note, Directory, " Hard Disk ", "Label9", "(Free hard disk space should be above 10 M.)"),

    spin(Search, " Depth ", "SpinEdit2", "Max Depth", nullptr, 1, 10, 1, &S::max_level),
    spin(Search, " Depth ", "SpinEdit10", "Extended Depth", nullptr, 0, 2, 1, &S::extendedlevel),
    check(Search, " Depth ", "CheckBox11", "Enabled auto detect"),
    plain(Note, Search, " Depth ", "Label10", "If you can not get big pictures,\nclick the button below")
        .spanning(2),
    plain(Button, Search, " Depth ", "BitBtn1", "Get big pictures").beside(2),
    check(Search, nullptr, "CheckBox13", "Always proccess picture with higher priority", &S::ispicfirst),
    check(Search, " Pictures ", "CheckBox1", "Jpeg", &S::jpg).spanning(1),
    check(Search, " Pictures ", "CheckBox2", "Gif", &S::gif).beside(1),
    check(Search, " Pictures ", "CheckBox15", "Png").beside(2),
    spin(Search, " Pictures ", "SpinEdit1", "Size       Min", "KB", 0, 100, 1, &S::size),
    // Its label "Max" is the one that applies the settings when clicked.
    spin(Search, " Pictures ", "SpinEdit6", "Max", "KB", 200, 10000, 100, &S::size1),
    spin(Search, " Pictures ", "SpinEdit3", "Width    Min", "Pixels", 0, 1000, 5, &S::width),
    spin(Search, " Pictures ", "SpinEdit4", "Height   Min", "Pixels", 0, 1000, 5, &S::height),
    check(Search, " Pictures ", "CheckBox4", "Get thumbmails only").unseen(),

    spin(Connection, " Threads ", "SpinEdit5", "Max Threads", nullptr, 2, 8, 1, &S::thread_num),
    plain(Note, Connection, " Threads ", "Label13",
          "If there are mosaic in your downloaded \npictures, click the right button.")
        .spanning(2),
    plain(Button, Connection, " Threads ", "SpeedButton3", "Avoid mosaic").beside(2),
    slider(Connection, " Server ", "TrackBar2", "Timeout ", "Sec", 10, 300, &S::timeout),
    plain(Note, Connection, " Server ", "Label17",
          "(If the web site you access does not response within Timeout,\n"
          "the connnection of the thread will be interrupted.)"),

    edit(LogIn, nullptr, "Edit2", "User Name:"),
    password(LogIn, nullptr, "MaskEdit1", "Password:"),
    check(LogIn, nullptr, "CheckBox3", "Utilize Proxy Server", &S::proxy),
    edit(LogIn, " Proxy Server ", "Edit4", "Address:", &S::proxyAddress),
    edit(LogIn, " Proxy Server ", "Edit5", "Port:", &S::proxyPort),
    edit(LogIn, " Proxy Server ", "Edit6", "User Name:", &S::proxyUser),
    password(LogIn, " Proxy Server ", "MaskEdit2", "Password:", &S::proxyPassword),

    plain(Radio, Contents, " URL ", "RadioButton3", "All URLs"),
    plain(Radio, Contents, " URL ", "RadioButton4", "Within The Web"),
    check(Contents, nullptr, "CheckBox10", "Enable Text Limitation", &S::selecttext),
    edit(Contents, " Keywords ", "Edit3", "Include", &S::includestext),
    edit(Contents, " Keywords ", "Edit7", "Exclude", &S::notincludestext),
    plain(Note, Contents, " Keywords ", "Label14", "(Every two keywords above should be divided by SPACE.) "),
    // Under the Keywords group in the old layout, so never reached.
    edit(Contents, "URL", "Edit8", "Include").unseen(),
    edit(Contents, "URL", "Edit10", "Exclude").unseen(),

    spin(System, " History  ", "SpinEdit7", "URL History Max Number", nullptr, 6, 30, 1, &S::urlhisnum),
    spin(System, " History  ", "SpinEdit9", "Site History  Max Number", nullptr, 6, 10, 1, &S::sitehisnum),
    check(System, " History  ", "CheckBox7", "Clear All History After Exit", &S::clearallafterexit),
    spin(System, " My Search  ", "SpinEdit8", "Max Number", nullptr, 10, 30, 1, &S::searchhisnum),
    check(System, " Delete Pictures ", "CheckBox8", "Delete Thumbnails Before Downloading Big Size Pictures",
          &S::isdeletethumb),
    check(System, " Delete Pictures ", "CheckBox9",
          "Delete All Included Pictures When Deleting My Search Items", &S::isdeletepic),

    spin(Thumbnails, nullptr, "SpinEdit11", "Max", "pictures on each page", 10, 500, 10, &S::a3),
    plain(Kind::Thumbnails, Thumbnails, "  Thumbnail Size  ", "GroupBox12"),

    plain(Kind::Combo, Advanced, " Agent ", "ComboBox1", "Name"),
    check(Advanced, " Javascript ", "CheckBox12", "Enable Javascript Intepretor", &S::a2),
    plain(Kind::List, Advanced, " Set the parameters below as the system parameters ", "CheckListBox1"),
    check(Advanced, "Database access threads ", "CheckBox14", "Enable multi-thread", &S::ismultithreaddb),
};

const char *const SystemParameterItems[] = {"Directory/Picture Names", "Search", "Connection", "Log in",
                                            "Contents"};

QStringList agentList()
{
    QStringList agents{SearchSettings::defaultAgent(),
                       QStringLiteral("Snapdredge/%1 (X11; Linux)").arg(QStringLiteral(SNAPDREDGE_VERSION)),
                       QStringLiteral("Snapdredge/%1").arg(QStringLiteral(SNAPDREDGE_VERSION))};
    for (const char *text :
         {"Mozilla/Mozilla/4.0 (compatible)", "Mozilla/Mozilla/3.0 (compatible)",
          "Mozilla/Mozilla/2.0 (compatible)", "Mozilla/Mozilla/1.0 (compatible)", "Internet Explorer 6.0",
          "Internet Explorer 5.0", "Internet Explorer 4.0", "Internet Explorer 3.0", "Internet Explorer 2.0",
          "Netscape 7.0", "Netscape 6.0", "Netscape 5.0", "Netscape 4.0", "Netscape 3.0", "Netscape 2.0"})
        agents << QString::fromLatin1(text);
    return agents;
}

bool sameGroup(const char *a, const char *b)
{
    if (!a || !b)
        return a == b;
    return std::strcmp(a, b) == 0;
}

QString text(const char *latin)
{
    return latin ? QString::fromLatin1(latin) : QString();
}

const QString SubdirectoryRefused = QStringLiteral("\"*/:<>?\\|");

constexpr int Panel1Width = 201;
constexpr int Panel1Height = 153;

} // namespace

TForm4::TForm4(Settings &settings, const QString &workingFolder, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_settings(settings), m_workingFolder(workingFolder)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Options"));
    buildPages();
    fill();
    connectRules();
}

TForm4::~TForm4()
{
    m_settings.optionsPage = m_pages->currentIndex();
}

template <typename T> T *TForm4::control(const char *name) const
{
    return findChild<T *>(QString::fromLatin1(name));
}

void TForm4::buildPages()
{
    auto *outer = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    // Every page caption in sight: the dialog widens rather than scroll them.
    m_pages->setUsesScrollButtons(false);
    outer->addWidget(m_pages);

    QVBoxLayout *pageLayouts[std::size(PageCaptions)] = {};
    for (int i = 0; i < int(std::size(PageCaptions)); ++i) {
        auto *page = new QWidget;
        page->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        pageLayouts[i] = new QVBoxLayout(page);
        m_pages->addTab(page, text(PageCaptions[i]));
    }

    QGridLayout *grid = nullptr;
    const Row *previous = nullptr;
    int gridRow = -1;
    for (const Row &row : Rows) {
        QWidget *page = m_pages->widget(row.page);
        if (!previous || previous->page != row.page || !sameGroup(previous->group, row.group)) {
            QWidget *box = nullptr;
            if (row.group) {
                auto *group = new QGroupBox(text(row.group), page);
                box = group;
            } else {
                box = new QWidget(page);
            }
            box->setVisible(!row.hidden);
            pageLayouts[row.page]->addWidget(box);
            grid = new QGridLayout(box);
            if (!row.group)
                grid->setContentsMargins(0, 0, 0, 0);
            // Spin boxes and check boxes keep their own width; a group with a
            // text box or slider gives it the room instead.
            grid->setColumnStretch(3, 1);
            gridRow = -1;
            if (row.kind == Kind::Thumbnails) {
                m_thumbnailGroup = qobject_cast<QGroupBox *>(box);
                m_thumbnailGroup->setObjectName(text(row.name));
                buildThumbnailGroup(m_thumbnailGroup);
                previous = &row;
                continue;
            }
        }
        previous = &row;
        if (!row.sameRow)
            ++gridRow;
        QWidget *box = grid->parentWidget();
        const QString name = text(row.name);

        auto addLabelled = [&](QWidget *widget) {
            widget->setObjectName(name);
            if (row.kind != Kind::Spin) {
                grid->setColumnStretch(1, 1);
                grid->setColumnStretch(3, 0);
            }
            if (row.text) {
                auto *label = new QLabel(text(row.text), box);
                label->setBuddy(widget);
                grid->addWidget(label, gridRow, 0);
                if (name == u"SpinEdit6") {
                    m_maxLabel = label;
                    label->installEventFilter(this);
                }
                grid->addWidget(widget, gridRow, 1, 1, row.unit ? 1 : 2);
            } else {
                grid->addWidget(widget, gridRow, 0, 1, 3);
            }
            if (row.unit && row.kind != Kind::Slider)
                grid->addWidget(new QLabel(text(row.unit), box), gridRow, 2);
        };

        switch (row.kind) {
        case Kind::Spin: {
            auto *spin = new QSpinBox(box);
            spin->setRange(row.min, row.max);
            spin->setSingleStep(row.step);
            addLabelled(spin);
            break;
        }
        case Kind::Slider: {
            auto *slider = new QSlider(Qt::Horizontal, box);
            slider->setRange(row.min, row.max);
            addLabelled(slider);
            auto *shown = new QWidget(box);
            auto *line = new QHBoxLayout(shown);
            line->setContentsMargins(0, 0, 0, 0);
            auto *value = new QLabel(shown);
            value->setObjectName(QStringLiteral("Label16"));
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("3000")));
            line->addWidget(value);
            line->addWidget(new QLabel(text(row.unit), shown));
            grid->addWidget(shown, gridRow, 2);
            break;
        }
        case Kind::Edit:
        case Kind::Password: {
            auto *edit = new QLineEdit(box);
            if (row.kind == Kind::Password)
                edit->setEchoMode(QLineEdit::Password);
            addLabelled(edit);
            break;
        }
        case Kind::Combo: {
            auto *combo = new QComboBox(box);
            combo->setEditable(true);
            combo->addItems(agentList());
            // The list is long; the box should not grow to its longest entry.
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            combo->setMinimumContentsLength(20);
            addLabelled(combo);
            break;
        }
        case Kind::Check:
        case Kind::Radio:
        case Kind::Button:
        case Kind::Note: {
            QWidget *widget = nullptr;
            if (row.kind == Kind::Check)
                widget = new QCheckBox(text(row.text), box);
            else if (row.kind == Kind::Radio)
                widget = new QRadioButton(text(row.text), box);
            else if (row.kind == Kind::Button)
                widget = new QPushButton(text(row.text), box);
            else
                widget = new QLabel(text(row.text), box);
            widget->setObjectName(name);
            widget->setVisible(!row.hidden);
            grid->addWidget(widget, gridRow, row.column, 1, row.span);
            break;
        }
        case Kind::List: {
            auto *list = new QListWidget(box);
            list->setObjectName(name);
            for (const char *item : SystemParameterItems) {
                auto *entry = new QListWidgetItem(text(item), list);
                entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
                entry->setCheckState(Qt::Unchecked);
            }
            // All five rows in sight, with room for the frame at any scale.
            list->setFixedHeight(list->sizeHintForRow(0) * int(std::size(SystemParameterItems)) +
                                 2 * list->frameWidth() + 8);
            grid->addWidget(list, gridRow, 0, 1, 4);
            break;
        }
        case Kind::FreeSpace: {
            grid->addWidget(new QLabel(text(row.text), box), gridRow, 0);
            auto *value = new QLabel(box);
            value->setObjectName(name);
            grid->addWidget(value, gridRow, 1, 1, 2);
            break;
        }
        case Kind::Thumbnails:
            break;
        }
    }
    for (QVBoxLayout *layout : pageLayouts)
        layout->addStretch(1);

    // Only digits fit a port; the range is checked at OK.
    control<QLineEdit>("Edit5")->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this));
    control<QCheckBox>("CheckBox12")->setEnabled(false);

    m_checkBox6 = new QCheckBox(QStringLiteral("Show this form before download"), this);
    m_checkBox6->setObjectName(QStringLiteral("CheckBox6"));
    outer->addWidget(m_checkBox6);

    auto *buttons = new QHBoxLayout;
    auto *help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this,
            [] { QDesktopServices::openUrl(QUrl::fromLocalFile(helpPage())); });
    auto *ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TForm4::okClicked);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &TForm4::cancelClicked);
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);

    // The old client area is the least size; larger fonts or scales get room.
    setMinimumSize(387, 436);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm4::buildThumbnailGroup(QGroupBox *group)
{
    auto *grid = qobject_cast<QGridLayout *>(group->layout());
    m_panel1 = new QFrame(group);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setFixedSize(Panel1Width, Panel1Height);
    m_panel1->setFrameShape(QFrame::StyledPanel);
    m_panel2 = new QFrame(m_panel1);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel2->setFrameShape(QFrame::Box);
    m_panel2->setAutoFillBackground(true);
    m_panel2->setBackgroundRole(QPalette::Base);
    m_trackBar1 = new QSlider(Qt::Horizontal, group);
    m_trackBar1->setObjectName(QStringLiteral("TrackBar1"));
    m_trackBar3 = new QSlider(Qt::Vertical, group);
    m_trackBar3->setObjectName(QStringLiteral("TrackBar3"));
    for (QSlider *slider : {m_trackBar1, m_trackBar3})
        slider->setRange(40, 170);
    // The vertical slider grows downwards, as the preview does.
    m_trackBar3->setInvertedAppearance(true);
    grid->addWidget(m_trackBar1, 0, 0);
    grid->addWidget(m_panel1, 1, 0);
    grid->addWidget(m_trackBar3, 1, 1);
    grid->setColumnStretch(1, 0);
    grid->setColumnStretch(2, 1);
}

void TForm4::fill()
{
    auto *agent = control<QComboBox>("ComboBox1");
    agent->setEditText(m_settings.agent);
    m_trackBar1->setValue(m_settings.tw);
    m_trackBar3->setValue(m_settings.th);
    showThumbnailCaption();
    placePreview(previewWidth(m_trackBar1->value(), false), previewHeight(m_trackBar3->value(), false));

    for (const Row &row : Rows) {
        QWidget *widget = control<QWidget>(row.name);
        if (row.number) {
            if (auto *spin = qobject_cast<QSpinBox *>(widget))
                spin->setValue(m_settings.*row.number);
            else if (auto *slider = qobject_cast<QSlider *>(widget))
                slider->setValue(m_settings.*row.number);
        } else if (row.flag) {
            qobject_cast<QCheckBox *>(widget)->setChecked(m_settings.*row.flag);
        } else if (row.line) {
            qobject_cast<QLineEdit *>(widget)->setText(m_settings.*row.line);
        }
    }
    m_pages->setCurrentIndex(qBound(0, m_settings.optionsPage, m_pages->count() - 1));
    showFreeSpace();
    control<QLineEdit>("Edit2")->setText(m_settings.loginUser);
    control<QLineEdit>("MaskEdit1")->setText(m_settings.loginPassword);
    control<QLineEdit>("Edit1")->setText(m_settings.picturesRoot);
    control<QLineEdit>("Edit1")->setCursorPosition(0);
    control<QLabel>("Label16")->setText(QString::number(control<QSlider>("TrackBar2")->value()));
    control<QRadioButton>(m_settings.save_mode == 0 ? "RadioButton1" : "RadioButton2")->setChecked(true);
    control<QRadioButton>(m_settings.urllink ? "RadioButton3" : "RadioButton4")->setChecked(true);
    control<QCheckBox>("CheckBox15")->setChecked(m_settings.png);
    m_checkBox6->setChecked(m_settings.isshowoption);
    updateEnabling();
}

void TForm4::connectRules()
{
    connect(control<QCheckBox>("CheckBox3"), &QCheckBox::toggled, this, &TForm4::updateEnabling);
    connect(control<QCheckBox>("CheckBox10"), &QCheckBox::toggled, this, &TForm4::updateEnabling);

    auto *jpeg = control<QCheckBox>("CheckBox1");
    auto *gif = control<QCheckBox>("CheckBox2");
    connect(jpeg, &QCheckBox::clicked, this, [jpeg, gif] {
        if (!jpeg->isChecked() && !gif->isChecked())
            jpeg->setChecked(true);
    });
    for (auto *box : {gif, control<QCheckBox>("CheckBox15")})
        connect(box, &QCheckBox::clicked, this, [jpeg, gif] {
            if (!jpeg->isChecked())
                gif->setChecked(true);
        });

    auto *root = control<QLineEdit>("Edit1");
    connect(root, &QLineEdit::textChanged, this, [this, root](const QString &now) {
        if (now == m_settings.picturesRoot)
            return;
        root->setText(m_settings.picturesRoot);
        QMessageBox::information(this, windowTitle(), rootDirectoryText());
    });

    auto *timeout = control<QSlider>("TrackBar2");
    connect(timeout, &QSlider::valueChanged, this,
            [this](int value) { control<QLabel>("Label16")->setText(QString::number(value)); });

    connect(m_trackBar1, &QSlider::valueChanged, this, [this](int value) {
        showThumbnailCaption();
        placePreview(previewWidth(value, true), m_panel2->height());
    });
    connect(m_trackBar3, &QSlider::valueChanged, this, [this](int value) {
        showThumbnailCaption();
        placePreview(m_panel2->width(), previewHeight(value, true));
    });

    connect(control<QPushButton>("BitBtn1"), &QPushButton::clicked, this, [this] {
        auto *extended = control<QSpinBox>("SpinEdit10");
        if (extended->value() == 0)
            extended->setValue(1);
    });
    connect(control<QPushButton>("SpeedButton3"), &QPushButton::clicked, this,
            [this] { control<QSpinBox>("SpinEdit5")->setValue(3); });
}

void TForm4::showFreeSpace()
{
    const qint64 bytes = qMax<qint64>(0, QStorageInfo(m_workingFolder).bytesAvailable());
    control<QLabel>("Label8")->setText(
        QStringLiteral("%1.%2 MB").arg(bytes / 1048576).arg(bytes % 1048576 / 104858));
}

void TForm4::updateEnabling()
{
    const bool proxy = control<QCheckBox>("CheckBox3")->isChecked();
    for (const char *name : {"Edit4", "Edit5", "Edit6", "MaskEdit2"})
        control<QLineEdit>(name)->setEnabled(proxy);
    const bool limited = control<QCheckBox>("CheckBox10")->isChecked();
    for (const char *name : {"Edit3", "Edit7"})
        control<QLineEdit>(name)->setEnabled(limited);
}

void TForm4::showThumbnailCaption()
{
    m_thumbnailGroup->setTitle(
        QStringLiteral(" Thumbnail Size:%1*%2").arg(m_trackBar1->value()).arg(m_trackBar3->value()));
}

void TForm4::placePreview(int width, int height)
{
    m_panel2->setGeometry((Panel1Width - width) / 2, (Panel1Height - height) / 2, width, height);
}

int TForm4::previewWidth(int tw, bool moved)
{
    return int((tw - 40) / 130.0 * (moved ? 110 : 144) + 81);
}

int TForm4::previewHeight(int th, bool moved)
{
    return int((th - 40) / 130.0 * (moved ? 75 : 80) + 73);
}

QString TForm4::helpPage()
{
    return programFolder(QCoreApplication::applicationFilePath()) + QStringLiteral("help/subdirectory.html");
}

void TForm4::setThumbnailLink(bool on)
{
    control<QCheckBox>("CheckBox4")->setChecked(on);
}

bool TForm4::thumbnailLink() const
{
    return control<QCheckBox>("CheckBox4")->isChecked();
}

bool TForm4::loginAndProxyStorable()
{
    // The login and proxy texts are packed between "|" marks without escaping,
    // so a "|" would shift every field after it.
    for (const char *name : {"Edit2", "MaskEdit1", "Edit4", "Edit5", "Edit6", "MaskEdit2"}) {
        auto *edit = control<QLineEdit>(name);
        if (edit->text().contains(u'|')) {
            m_pages->setCurrentIndex(LogIn);
            edit->setFocus();
            QMessageBox::warning(this, windowTitle(), barRefusedText());
            return false;
        }
    }
    auto *port = control<QLineEdit>("Edit5");
    bool number = false;
    const int value = port->text().toInt(&number);
    if (!port->text().isEmpty() && (!number || value < 1 || value > 65535)) {
        m_pages->setCurrentIndex(LogIn);
        port->setFocus();
        QMessageBox::warning(this, windowTitle(), portRefusedText());
        return false;
    }
    return true;
}

bool TForm4::apply()
{
    if (!loginAndProxyStorable())
        return false;
    Settings &s = m_settings;
    s.agent = control<QComboBox>("ComboBox1")->currentText();
    s.autoDetect = control<QCheckBox>("CheckBox11")->isChecked();
    const QString subdirectory = control<QLineEdit>("Edit9")->text();
    bool usable = !subdirectory.trimmed().isEmpty();
    for (QChar c : SubdirectoryRefused)
        usable = usable && !subdirectory.contains(c);
    s.urlIncludeText = control<QLineEdit>("Edit8")->text();
    setOkAnswer(1);
    s.isshowoption = m_checkBox6->isChecked();

    for (const Row &row : Rows) {
        QWidget *widget = control<QWidget>(row.name);
        if (row.number) {
            if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
                // A box left empty or half typed counts as its minimum.
                if (!spin->hasAcceptableInput())
                    spin->setValue(spin->minimum());
                s.*row.number = spin->value();
            } else if (auto *slider = qobject_cast<QSlider *>(widget))
                s.*row.number = slider->value();
        } else if (row.flag) {
            s.*row.flag = qobject_cast<QCheckBox *>(widget)->isChecked();
        } else if (row.line) {
            s.*row.line = qobject_cast<QLineEdit *>(widget)->text();
        }
    }
    s.subdirectory = usable ? subdirectory : QStringLiteral("mypic");
    s.picturesRoot = control<QLineEdit>("Edit1")->text();
    s.save_mode = control<QRadioButton>("RadioButton1")->isChecked() ? 0 : 1;

    const QString user = control<QLineEdit>("Edit2")->text();
    const QString password = control<QLineEdit>("MaskEdit1")->text();
    if (user.trimmed().isEmpty() && password.trimmed().isEmpty()) {
        s.login = false;
    } else {
        s.login = true;
        s.loginUser = user;
        s.loginPassword = password;
    }
    s.urllink = control<QRadioButton>("RadioButton3")->isChecked();
    s.tw = m_trackBar1->value();
    s.th = m_trackBar3->value();

    SettingsStore store;
    s.saveWindowSettingsFromOptions(store);
    s.saveSearchSettingsFromOptions(store);
    store.sync();
    Q_EMIT applied();
    return true;
}

void TForm4::okClicked()
{
    if (apply())
        accept();
}

void TForm4::cancelClicked()
{
    reject();
}

void TForm4::reject()
{
    // Cancel and Esc answer 0; the title-bar button leaves the answer as it was.
    if (!m_closingByTitleBar)
        setOkAnswer(0);
    QDialog::reject();
}

void TForm4::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred on the screen, not over the main window.
    if (!event->spontaneous() && screen())
        move(screen()->availableGeometry().center() - rect().center());
}

void TForm4::closeEvent(QCloseEvent *event)
{
    m_closingByTitleBar = true;
    QDialog::closeEvent(event);
    m_closingByTitleBar = false;
}

bool TForm4::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_maxLabel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        apply();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
