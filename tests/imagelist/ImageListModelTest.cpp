#include "imagelist/ImageListModel.h"

#include <gtest/gtest.h>
#include <vector>

#include <QString>

#include "imagelist/StatusIcons.h"

namespace tessoly {
namespace {

ImageListItem Row(const QString& path, bool checked = true, ItemStatus status = ItemStatus::Waiting) {
    ImageListItem item;
    item.path = path;
    item.checked = checked;
    item.status = status;
    return item;
}

std::vector<QString> Paths(const ImageListModel& model) {
    std::vector<QString> paths;
    for (int i = 0; i < model.Count(); ++i) {
        paths.push_back(model.Item(i).path);
    }
    return paths;
}

std::vector<bool> Checks(const ImageListModel& model) {
    std::vector<bool> checks;
    for (int i = 0; i < model.Count(); ++i) {
        checks.push_back(model.Item(i).checked);
    }
    return checks;
}

TEST(ImageListModel, NewRowIsCheckedWaitingAndCounted) {
    ImageListModel model;
    EXPECT_EQ(model.CounterText(), "0 / 0");
    model.Append(Row("/p/a.jpg"));
    EXPECT_EQ(model.CounterText(), "1 / 1");
    const QModelIndex cell = model.index(0, ColumnImage);
    EXPECT_EQ(model.data(cell, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_EQ(model.data(cell, Qt::DisplayRole).toString(), "/p/a.jpg");
    EXPECT_EQ(model.data(cell, Qt::DecorationRole).value<QImage>(), StatusIcon(ItemStatus::Waiting));
}

TEST(ImageListModel, CounterFollowsCheckMarksAtOnce) {
    ImageListModel model;
    for (int i = 0; i < 5; ++i) {
        model.Append(Row(QString("/p/%1.jpg").arg(i), i == 1 || i == 3));
    }
    EXPECT_EQ(model.CounterText(), "2 / 5");
    int changes = 0;
    QObject::connect(&model, &ImageListModel::ListChanged, [&] { ++changes; });
    // Unchecking by hand goes through the view's check box, i.e. setData.
    EXPECT_TRUE(model.setData(model.index(1, ColumnImage), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(model.CounterText(), "1 / 5");
    EXPECT_EQ(changes, 1);
    model.SetStatus(0, ItemStatus::Successful);
    EXPECT_EQ(changes, 2);
}

TEST(ImageListModel, OnlyTheImageColumnHasACheckBox) {
    ImageListModel model;
    model.Append(Row("/p/a.jpg"));
    EXPECT_TRUE(model.flags(model.index(0, ColumnImage)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, ColumnFormat)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, ColumnImage)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(model.index(0, ColumnFormat), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(model.setData(model.index(0, ColumnImage), "other", Qt::EditRole));
    EXPECT_EQ(model.Item(0).path, "/p/a.jpg");
}

TEST(ImageListModel, SelectCommandsSetCheckMarksOnly) {
    const std::vector<ItemStatus> statuses = {ItemStatus::Waiting,      ItemStatus::Successful,
                                              ItemStatus::Unsuccessful, ItemStatus::Skipped,
                                              ItemStatus::Waiting,      ItemStatus::InProgress};
    const std::vector<bool> initial = {true, false, true, false, false, true};
    ImageListModel model;
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        model.Append(Row(QString("/p/%1.jpg").arg(i), initial[i], statuses[i]));
    }
    struct Case {
        const char* name;
        void (*command)(ImageListModel&);
        std::vector<bool> expected;
    };
    const std::vector<Case> cases = {
        {"all", [](ImageListModel& m) { m.SelectAll(); }, {true, true, true, true, true, true}},
        {"none", [](ImageListModel& m) { m.DeselectAll(); }, {false, false, false, false, false, false}},
        {"inverse", [](ImageListModel& m) { m.InverseSelection(); }, {false, true, false, true, true, false}},
        {"waiting",
         [](ImageListModel& m) { m.SelectForStatus(ItemStatus::Waiting); },
         {true, false, false, false, true, false}},
        {"successful",
         [](ImageListModel& m) { m.SelectForStatus(ItemStatus::Successful); },
         {false, true, false, false, false, false}},
        {"unsuccessful",
         [](ImageListModel& m) { m.SelectForStatus(ItemStatus::Unsuccessful); },
         {false, false, true, false, false, false}},
        {"skipped",
         [](ImageListModel& m) { m.SelectForStatus(ItemStatus::Skipped); },
         {false, false, false, true, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::size_t i = 0; i < initial.size(); ++i) {
            model.SetChecked(static_cast<int>(i), initial[i]);
        }
        c.command(model);
        EXPECT_EQ(Checks(model), c.expected);
        for (std::size_t i = 0; i < statuses.size(); ++i) {
            EXPECT_EQ(model.Item(static_cast<int>(i)).status, statuses[i]);
        }
    }
}

TEST(ImageListModel, InverseSelectionTwiceRestoresTheMarks) {
    ImageListModel model;
    for (int i = 0; i < 7; ++i) {
        model.Append(Row(QString::number(i), i % 3 == 0));
    }
    const auto before = Checks(model);
    model.InverseSelection();
    EXPECT_NE(Checks(model), before);
    model.InverseSelection();
    EXPECT_EQ(Checks(model), before);
}

TEST(ImageListModel, CommandsOnAnEmptyListDoNothing) {
    ImageListModel model;
    int changes = 0;
    QObject::connect(&model, &ImageListModel::ListChanged, [&] { ++changes; });
    model.SelectAll();
    model.DeselectAll();
    model.InverseSelection();
    model.SelectForStatus(ItemStatus::Waiting);
    EXPECT_FALSE(model.RemoveChecked({}));
    model.Clear();
    EXPECT_FALSE(model.RemoveDuplicates());
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(model.CounterText(), "0 / 0");
}

TEST(ImageListModel, RemoveWithNothingCheckedKeepsEveryRow) {
    ImageListModel model;
    model.Append(Row("/p/a.jpg", false));
    model.Append(Row("/p/b.jpg", false));
    EXPECT_FALSE(model.RemoveChecked("/p/a.jpg"));
    EXPECT_EQ(Paths(model), (std::vector<QString>{"/p/a.jpg", "/p/b.jpg"}));
}

TEST(ImageListModel, RemoveTakesCheckedRowsAndReportsThePreviewedOne) {
    struct Case {
        const char* name;
        QString previewPath;
        bool previewRemoved;
    };
    const std::vector<Case> cases = {
        {"previewed row removed", "/p/c.jpg", true},
        {"previewed row stays", "/p/b.jpg", false},
        {"case differs", "/p/C.jpg", false},
        {"no preview", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageListModel model;
        model.Append(Row("/p/a.jpg", true));
        model.Append(Row("/p/b.jpg", false));
        model.Append(Row("/p/c.jpg", true));
        model.Append(Row("/p/d.jpg", true));
        model.Append(Row("/p/e.jpg", false));
        EXPECT_EQ(model.RemoveChecked(c.previewPath), c.previewRemoved);
        EXPECT_EQ(Paths(model), (std::vector<QString>{"/p/b.jpg", "/p/e.jpg"}));
        EXPECT_EQ(model.CounterText(), "0 / 2");
    }
}

TEST(ImageListModel, ClearEmptiesTheList) {
    ImageListModel model;
    model.Append(Row("/p/a.jpg"));
    model.Append(Row("/p/b.jpg", false));
    model.Clear();
    EXPECT_EQ(model.Count(), 0);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.CounterText(), "0 / 0");
}

TEST(ImageListModel, RemoveDuplicatesKeepsFirstCopiesExactly) {
    ImageListModel model;
    for (const char* path : {"C:/a.jpg", "C:/b.jpg", "C:/a.jpg", "c:/A.JPG", "C:/a.jpg"}) {
        model.Append(Row(path));
    }
    model.SetStatus(0, ItemStatus::Successful);
    EXPECT_TRUE(model.RemoveDuplicates());
    EXPECT_EQ(Paths(model), (std::vector<QString>{"C:/a.jpg", "C:/b.jpg", "c:/A.JPG"}));
    EXPECT_EQ(model.Item(0).status, ItemStatus::Successful);
    EXPECT_FALSE(model.RemoveDuplicates());
    EXPECT_EQ(model.Count(), 3);
}

TEST(ImageListModel, RemoveDuplicatesKeepsAPersistentIndexOnTheFirstCopy) {
    ImageListModel model;
    for (const char* path : {"/x", "/y", "/x", "/x", "/z", "/y"}) {
        model.Append(Row(path));
    }
    const QPersistentModelIndex highlighted(model.index(4, ColumnImage));
    EXPECT_TRUE(model.RemoveDuplicates());
    EXPECT_EQ(Paths(model), (std::vector<QString>{"/x", "/y", "/z"}));
    ASSERT_TRUE(highlighted.isValid());
    EXPECT_EQ(highlighted.row(), 2);
}

TEST(ShadeColor, ChannelsScaleWithHalvesToEven) {
    struct Case {
        int channel;
        int percent;
        int expected;
    };
    const std::vector<Case> cases = {
        {255, 96, 245},                   // 244.8
        {100, 50, 50},   {1, 50, 0},      // 0.5 goes to the even 0
        {3, 50, 2},                       // 1.5 goes to the even 2
        {255, 100, 255}, {200, 255, 255}, // capped
        {0, 96, 0},      {255, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channel << " at " << c.percent);
        const QColor shaded = ShadeColor(QColor(c.channel, c.channel, c.channel), c.percent);
        EXPECT_EQ(shaded.red(), c.expected);
        EXPECT_EQ(shaded.green(), c.expected);
        EXPECT_EQ(shaded.blue(), c.expected);
    }
}

TEST(ImageListModel, OddRowsAreShadedOnTheWhiteBackground) {
    ImageListModel model;
    for (int i = 0; i < 3; ++i) {
        model.Append(Row(QString::number(i)));
    }
    EXPECT_EQ(model.data(model.index(0, ColumnFormat), Qt::BackgroundRole).value<QColor>(),
              QColor(255, 255, 255));
    EXPECT_EQ(model.data(model.index(1, ColumnFormat), Qt::BackgroundRole).value<QColor>(),
              QColor(245, 245, 245));
    EXPECT_EQ(model.data(model.index(2, ColumnImage), Qt::BackgroundRole).value<QColor>(),
              QColor(255, 255, 255));
}

TEST(ImageListModel, ColumnsHaveTheirTitlesWidthsAndAlignments) {
    ImageListModel model;
    struct Case {
        const char* title;
        int width;
        Qt::Alignment alignment;
    };
    const std::vector<Case> cases = {{"Image", 180, Qt::AlignLeft | Qt::AlignVCenter},
                                     {"Format", 50, Qt::AlignCenter},
                                     {"Dimensions", 66, Qt::AlignCenter},
                                     {"DPI", 50, Qt::AlignCenter},
                                     {"File size", 50, Qt::AlignCenter}};
    ASSERT_EQ(model.columnCount(), static_cast<int>(cases.size()));
    model.Append(Row("/p/a.jpg"));
    for (int column = 0; column < model.columnCount(); ++column) {
        const Case& c = cases[static_cast<std::size_t>(column)];
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), c.title);
        EXPECT_EQ(ImageListColumnInfo(column).width, c.width);
        EXPECT_EQ(model.data(model.index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                  c.alignment);
    }
}

TEST(StatusIcons, FiveDistinctIconsOfTheRowSize) {
    const std::vector<ItemStatus> all = {ItemStatus::Waiting, ItemStatus::InProgress, ItemStatus::Successful,
                                         ItemStatus::Unsuccessful, ItemStatus::Skipped};
    for (std::size_t i = 0; i < all.size(); ++i) {
        const QImage& icon = StatusIcon(all[i]);
        EXPECT_EQ(icon.size(), QSize(22, 12));
        QImage blank(22, 12, icon.format());
        blank.fill(Qt::transparent);
        EXPECT_NE(icon, blank) << "icon " << i << " is blank";
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_NE(icon, StatusIcon(all[j])) << i << " looks like " << j;
        }
    }
}

} // namespace
} // namespace tessoly
