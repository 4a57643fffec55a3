#include "../Form1Fixture.h"
#include "LocalHttpServer.h"
#include "TempDir.h"
#include "shell/logos/ChannelLogos.h"
#include "shell/logos/ListLogos.h"
#include "shell/logos/LogoImage.h"
#include "shell/logos/LogoProvider.h"
#include "shell/playlists/PlaylistsPanel.h"
#include "shell/widgets/ListRowsModel.h"

#include <QBuffer>
#include <QPixmap>
#include <QSignalSpy>
#include <QtEndian>

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using test::LocalHttpServer;
using test::TempDir;

std::uint32_t Crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void AppendChunk(QByteArray& png, const char* type, const QByteArray& data) {
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(data.size()), length);
    png.append(length, 4);
    const QByteArray body = QByteArray(type) + data;
    png.append(body);
    char crc[4];
    qToBigEndian<quint32>(Crc32(body), crc);
    png.append(crc, 4);
}

// A black-and-white PNG of the size given, all of it zeros: a few kilobytes however large
// it claims to be. `rows` of it are really there (the rest is cut off).
std::string OneBitPng(quint32 width, quint32 height, quint32 rows) {
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 1;  // bit depth; colour type 0 (grey)
    const QByteArray raw(static_cast<qsizetype>(rows) * (1 + (width + 7) / 8), '\0');
    // qCompress puts the length in front of a zlib stream.
    const QByteArray zlib = qCompress(raw, 9).mid(4);
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", zlib);
    AppendChunk(png, "IEND", {});
    return png.toStdString();
}

std::string RealPng(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

bool AllTransparent(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
        }
    }
    return true;
}

TEST(ChannelLogosTest, OnlyPicturesWithinTheLimitsAreDecoded) {
    struct Row {
        const char* what;
        std::string bytes;
        QSize size;  // 0 x 0: refused
    };
    const Row rows[] = {
        {"a picture", RealPng(40, 20), QSize(40, 20)},
        {"a large picture, decoded smaller", RealPng(400, 200), QSize(256, 128)},
        {"small as a file, 18 MB as pixels", RealPng(3000, 1500), QSize(0, 0)},
        {"a picture cut off", RealPng(40, 30).substr(0, 40), QSize(0, 0)},
        {"at the pixel limit, decoded smaller", OneBitPng(2048, 2048, 2048), QSize(256, 256)},
        {"a column past the pixel limit", OneBitPng(2049, 2048, 2048), QSize(0, 0)},
        {"a side past its limit", OneBitPng(4097, 1, 1), QSize(0, 0)},
        {"a decompression bomb", OneBitPng(10000, 10000, 10000), QSize(0, 0)},
        {"huge dimensions, little data", OneBitPng(65535, 65535, 1), QSize(0, 0)},
        {"a web page", "<html><body>not found</body></html>", QSize(0, 0)},
        {"a drawing", "<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'/>",
         QSize(0, 0)},
        {"nothing", "", QSize(0, 0)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DecodeLogo(row.bytes).size(), row.size) << row.what;
}

TEST(ChannelLogosTest, RowsAskWhenPaintedAndHostileLogosLeaveThemAsTheyAre) {
    TempDir dir;
    LocalHttpServer server;
    server.Serve("/good.png", RealPng(64, 32), "image/png");
    server.Serve("/page.png", "<html>not here</html>", "image/png");
    server.Serve("/bomb.png", OneBitPng(10000, 10000, 10000), "image/png");
    server.Serve("/big.png", RealPng(8, 8) + std::string(600 * 1024, '\0'), "image/png");
    server.Serve("/typed.png", RealPng(8, 8), "text/html");
    const char* paths[] = {"/good.png", "/page.png", "/bomb.png", "/big.png", "/typed.png"};

    LogoFetcher::Options options;
    options.folder = dir / "logos";
    LogoProvider provider(options);
    ListView view;
    ListLogos logos(&view, &provider);
    ListRows& rows = view.Rows();
    rows.AddColumn("Name", 2000);
    for (const char* path : paths) {
        ListRow row;
        row.text = path;
        row.logo = server.Url(path);
        rows.Add(row);
    }
    rows.Add("no logo");
    ListRowsModel* model = view.RowsModel();
    const auto decoration = [&](int row) { return model->index(row, 0).data(Qt::DecorationRole); };

    QSignalSpy missing(&provider, &LogoProvider::LogoMissing);
    QSignalSpy changed(&provider, &LogoProvider::LogosChanged);
    QSignalSpy repainted(model, &QAbstractItemModel::dataChanged);
    // Before anything came: an empty place of the row's logo size, no place without a logo.
    for (int row = 0; row < 5; ++row) {
        const QPixmap empty = decoration(row).value<QPixmap>();
        EXPECT_EQ(empty.size(), logos.Box());
        EXPECT_TRUE(AllTransparent(empty.toImage()));
    }
    EXPECT_FALSE(decoration(5).isValid());
    while (missing.count() < 4)
        ASSERT_TRUE(missing.wait(10'000)) << missing.count();
    while (changed.count() < 1)
        ASSERT_TRUE(changed.wait(10'000));

    EXPECT_FALSE(repainted.isEmpty());
    const QPixmap good = decoration(0).value<QPixmap>();
    EXPECT_EQ(good.size(), logos.Box());
    EXPECT_FALSE(AllTransparent(good.toImage()));
    for (int row = 1; row < 5; ++row) {
        const QPixmap kept = decoration(row).value<QPixmap>();
        EXPECT_EQ(kept.size(), logos.Box()) << paths[row];
        EXPECT_TRUE(AllTransparent(kept.toImage())) << paths[row];
        EXPECT_EQ(model->index(row, 0).data().toString().toStdString(), paths[row]);
    }
    // Each was asked for once: painting again asks nothing more.
    for (int row = 0; row < 5; ++row)
        decoration(row);
    for (const char* path : paths)
        EXPECT_EQ(server.RequestCount(path), 1) << path;
}

std::string FilledPng(QColor colour) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

TEST(ChannelLogosTest, ALogoChangedOnTheServerReplacesTheCopyShownAWeekOn) {
    TempDir dir;
    LocalHttpServer server;
    const std::string address = server.Url("/changed.png");
    server.Serve("/changed.png", FilledPng(Qt::blue), "image/png");
    server.AddHeaders("/changed.png", "ETag: \"new\"\r\n");
    const std::int64_t now = 2'000'000'000;
    LogoCache cache(dir / "logos");
    std::string error;
    ASSERT_TRUE(cache.StoreCopy({address, now - kLogoRecheckSeconds, "\"old\"", 0},
                                FilledPng(Qt::red), error))
        << error;
    LogoFetcher::Options options;
    options.folder = dir / "logos";
    options.clock = [now] { return now; };
    LogoProvider provider(options);
    QSignalSpy changed(&provider, &LogoProvider::LogosChanged);
    const QSize box(20, 20);
    const auto centre = [&] { return provider.Logo(address, box).pixelColor(10, 10); };

    EXPECT_FALSE(centre().isValid());  // asked for
    ASSERT_TRUE(changed.wait(10'000));
    EXPECT_EQ(centre(), QColor(Qt::red));  // the copy, at once
    ASSERT_TRUE(changed.wait(10'000));     // the server had a newer one
    EXPECT_FALSE(centre().isValid());      // asked for again
    ASSERT_TRUE(changed.wait(10'000));
    EXPECT_EQ(centre(), QColor(Qt::blue));
    EXPECT_EQ(server.RequestCount("/changed.png"), 1);
}

TEST(ChannelLogosTest, WhatPlaysShowsItsLogoLarger) {
    test::Form1Fixture fixture;
    TempDir dir;
    LocalHttpServer server;
    server.Serve("/station.png", RealPng(300, 150), "image/png");
    auto form = fixture.MakeForm();
    LogoFetcher::Options options;
    options.folder = dir / "logos";
    ChannelLogos logos(form.get(), options);
    ListRows& rows = form->ListView1->Rows();
    ListRow with;
    with.text = "Station";
    with.tag = "http://127.0.0.1:9/station";
    with.logo = server.Url("/station.png");
    rows.Add(with);
    rows.Add(ListRow{"Plain", "http://127.0.0.1:9/plain", {}});

    QSignalSpy shown(&logos, &ChannelLogos::PlayingLogoChanged);
    rows.Select(1);
    form->ListView1_ItemClick();
    ASSERT_TRUE(shown.wait(10'000));
    EXPECT_EQ(logos.PlayingLogo().size(), QSize(96, 48));

    // The next channel has none: the last one goes with it.
    rows.Select(2);
    form->ListView1_ItemClick();
    EXPECT_TRUE(logos.PlayingLogo().isNull());
}

TEST(ChannelLogosTest, APlaylistsLogosComeAsItsRowsAreDrawnAndStayInTheCache) {
    test::Form1Fixture fixture;
    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    TempDir dir;
    LocalHttpServer server;
    server.Serve("/good.png", RealPng(100, 100), "image/png");
    server.Serve("/page.png", "<html>login</html>", "text/html");
    PlaylistsPanel panel(form.get(), fixture.App() / "Playlists");
    LogoFetcher::Options options;
    options.folder = dir / "logos";
    ChannelLogos logos(form.get(), options);
    const auto list =
        dir.Write("logos.m3u", "#EXTM3U\n#EXTINF:-1 tvg-logo=\"" + server.Url("/good.png") +
                                   "\",Good\nhttp://s/good\n#EXTINF:-1 tvg-logo=\"" +
                                   server.Url("/page.png") + "\",Page\nhttp://s/page\n");
    QSignalSpy opened(&panel, &PlaylistsPanel::Opened);
    panel.Open(QString::fromStdString(list.string()));
    ASSERT_TRUE(opened.wait(10'000));
    QAbstractItemModel* model = form->ListView1->model();
    const auto decoration = [&](int row) {
        return model->data(model->index(row, 0), Qt::DecorationRole).value<QPixmap>();
    };
    // Nothing waits for a logo: the rows are there, with an empty place, before any came.
    EXPECT_TRUE(AllTransparent(decoration(0).toImage()));
    EXPECT_TRUE(AllTransparent(decoration(1).toImage()));
    QSignalSpy missing(logos.Provider(), &LogoProvider::LogoMissing);
    QSignalSpy changed(logos.Provider(), &LogoProvider::LogosChanged);
    ASSERT_TRUE(changed.wait(10'000));
    if (missing.isEmpty()) {
        ASSERT_TRUE(missing.wait(10'000));
    }
    EXPECT_FALSE(AllTransparent(decoration(0).toImage()));
    EXPECT_TRUE(AllTransparent(decoration(1).toImage()));
    // Kept in the cache, for a window of a later run.
    EXPECT_TRUE(LogoCache(dir / "logos").HasCopy(server.Url("/good.png")));
}

}  // namespace
}  // namespace quorvel
