#include "devices/soundmanager.h"

#include "foundation/globals.h"
#include "devices/player.h"
#include "devices/waveoutput.h"

#include <QDebug>

SoundManager::SoundManager(QObject *parent)
    : SoundManager(standardTable(), new Player, new WaveOutput, parent)
{
}

SoundManager::SoundManager(const Table &table,
                           Player *player,
                           WaveOutput *waveOutput,
                           QObject *parent)
    : QObject(parent)
    , mPlayer(player)
    , mWaveOutput(waveOutput)
{
    for (const auto &entry : table)
        mFiles.insert(entry.first, entry.second);
    mPlayer->setParent(this);
    mWaveOutput->setParent(this);
    connect(mPlayer, &Player::started, this, &SoundManager::onPlayerStart);
    connect(mPlayer, &Player::finished, this, &SoundManager::onPlayerStop);
}

SoundManager::Table SoundManager::standardTable()
{
    // Entrance sounds are "p_" + abbreviation + "-" + mode + "-" + direction.
    return {
        { QStringLiteral("login"), QStringLiteral("sounds/desktop-login.wav") },
        { QStringLiteral("logout"), QStringLiteral("sounds/desktop-logout.wav") },
        { QStringLiteral("bell"), QStringLiteral("sounds/bell.wav") },
        { QStringLiteral("butp"), QStringLiteral("sounds/button-pressed.wav") },
        { QStringLiteral("butoff"), QStringLiteral("sounds/button-tle-off.wav") },
        { QStringLiteral("buton"), QStringLiteral("sounds/button-tle-on.wav") },
        { QStringLiteral("dlge"), QStringLiteral("sounds/dialog-error.wav") },
        { QStringLiteral("dlgi"), QStringLiteral("sounds/dialog-information.wav") },
        { QStringLiteral("dlgq"), QStringLiteral("sounds/dialog-question.wav") },
        { QStringLiteral("dlgw"), QStringLiteral("sounds/dialog-warning.wav") },
        { QStringLiteral("msgn"), QStringLiteral("sounds/message-new-instant.wav") },
        { QStringLiteral("msg"), QStringLiteral("sounds/message.wav") },
        { QStringLiteral("phonein"), QStringLiteral("sounds/phone-incoming-call.wav") },
        { QStringLiteral("phoneoutb"), QStringLiteral("sounds/phone-outgoing-busy.wav") },
        { QStringLiteral("phoneoutc"), QStringLiteral("sounds/phone-outgoing-calling.wav") },
        { QStringLiteral("srvcin"), QStringLiteral("sounds/service-login.wav") },
        { QStringLiteral("srvcout"), QStringLiteral("sounds/service-logout.wav") },
        { QStringLiteral("wslide"), QStringLiteral("sounds/window-slide.wav") },
        { QStringLiteral("p_P-0-1"), QStringLiteral("sounds/01_praca_prichod.wav") },
        { QStringLiteral("p_P-0-0"), QStringLiteral("sounds/02_praca_odchod.wav") },
        { QStringLiteral("p_SL-0-1"), QStringLiteral("sounds/03_sluzobne_prichod.wav") },
        { QStringLiteral("p_SL-0-0"), QStringLiteral("sounds/04_sluzobne_odchod.wav") },
        { QStringLiteral("p_PR-0-1"), QStringLiteral("sounds/05_pracovne_prichod.wav") },
        { QStringLiteral("p_SLC-0-1"), QStringLiteral("sounds/07_sluzobna_cesta_prichod.wav") },
        { QStringLiteral("p_SLC-0-0"), QStringLiteral("sounds/08_sluzobna_cesta_odchod.wav") },
        { QStringLiteral("p_SU-0-1"), QStringLiteral("sounds/09_sukromne_prichod.wav") },
        { QStringLiteral("p_SU-0-0"), QStringLiteral("sounds/10_sukromne_odchod.wav") },
        { QStringLiteral("p_L-0-1"), QStringLiteral("sounds/11_lekar_prichod.wav") },
        { QStringLiteral("p_L-0-0"), QStringLiteral("sounds/12_lekar_odchod.wav") },
        { QStringLiteral("p_PV-0-1"), QStringLiteral("sounds/13_platene_volno_prichod.wav") },
        { QStringLiteral("p_PV-0-0"), QStringLiteral("sounds/14_platene_volno_odchod.wav") },
        { QStringLiteral("p_NV-0-1"), QStringLiteral("sounds/15_nahradne_volno_prichod.wav") },
        { QStringLiteral("p_NV-0-0"), QStringLiteral("sounds/16_nahradne_volno_odchod.wav") },
        { QStringLiteral("p_STUD-0-1"), QStringLiteral("sounds/17_studijne_volno_prichod.wav") },
        { QStringLiteral("p_STUD-0-0"), QStringLiteral("sounds/18_studijne_volno_odchod.wav") },
        { QStringLiteral("p_VZ-0-1"), QStringLiteral("sounds/19_verejny_zaujem_prichod.wav") },
        { QStringLiteral("p_VZ-0-0"), QStringLiteral("sounds/20_verejny_zaujem_odchod.wav") },
        { QStringLiteral("p_§-0-1"), QStringLiteral("sounds/21_paragraf_prichod.wav") },
        { QStringLiteral("p_§-0-0"), QStringLiteral("sounds/22_paragraf_odchod.wav") },
        { QStringLiteral("p_D-0-1"), QStringLiteral("sounds/23_dovolenka_prichod.wav") },
        { QStringLiteral("p_D-0-0"), QStringLiteral("sounds/24_dovolenka_odchod.wav") },
        { QStringLiteral("p_O-0-1"), QStringLiteral("sounds/25_obed_prichod.wav") },
        { QStringLiteral("p_O-0-0"), QStringLiteral("sounds/26_obed_odchod.wav") },
        { QStringLiteral("p_F-0-1"), QStringLiteral("sounds/27_fajcenie_prichod.wav") },
        { QStringLiteral("p_F-0-0"), QStringLiteral("sounds/28_fajcenie_odchod.wav") },
        { QStringLiteral("p_LD-0-1"), QStringLiteral("sounds/29_lekar_doprovod_prichod.wav") },
        { QStringLiteral("p_LD-0-0"), QStringLiteral("sounds/30_lekar_doprovod_odchod.wav") },
        { QStringLiteral("p_OCR-0-1"), QStringLiteral("sounds/31_OCR_prichod.wav") },
        { QStringLiteral("p_OCR-0-0"), QStringLiteral("sounds/32_OCR_odchod.wav") },
        { QStringLiteral("p_PN-0-1"), QStringLiteral("sounds/33_PN_prichod.wav") },
        { QStringLiteral("p_PN-0-0"), QStringLiteral("sounds/34_PN_odchod.wav") },
        { QStringLiteral("p_SK-0-1"), QStringLiteral("sounds/35_skolenie_prichod.wav") },
        { QStringLiteral("p_SK-0-0"), QStringLiteral("sounds/36_skolenie_odchod.wav") },
        { QStringLiteral("p_DPO-0-1"),
          QStringLiteral("sounds/37_doprovod_postihnuta_osoba_prichod.wav") },
        { QStringLiteral("p_DPO-0-0"),
          QStringLiteral("sounds/38_doprovod_postihnuta_osoba_odchod.wav") },
        { QStringLiteral("p_SP-0-1"), QStringLiteral("sounds/39_stazene_podmienky_prichod.wav") },
        { QStringLiteral("p_SP-0-0"), QStringLiteral("sounds/40_stazene_podmienky_odchod.wav") },
        { QStringLiteral("p_SP-2-1"), QStringLiteral("sounds/41_stazene_podmienky_zaciatok.wav") },
        { QStringLiteral("p_SP-1-1"), QStringLiteral("sounds/42_stazene_podmienky_start.wav") },
        { QStringLiteral("p_SP-2-0"), QStringLiteral("sounds/43_stazene_podmienky_koniec.wav") },
        { QStringLiteral("p_SP-1-0"), QStringLiteral("sounds/44_stazene_podmienky_stop.wav") },
        { QStringLiteral("p_SK-2-1"), QStringLiteral("sounds/45_skolenie_zaciatok.wav") },
        { QStringLiteral("p_SK-2-0"), QStringLiteral("sounds/46_skolenie_koniec.wav") },
        { QStringLiteral("p_SK-1-1"), QStringLiteral("sounds/47_skolenie_start.wav") },
        { QStringLiteral("p_SK-1-0"), QStringLiteral("sounds/48_skolenie_stop.wav") },
        { QStringLiteral("p_FT-0-1"), QStringLiteral("sounds/49_flexi_tvorba_prichod.wav") },
        { QStringLiteral("p_FT-0-0"), QStringLiteral("sounds/50_flexi_tvorba_odchod.wav") },
        { QStringLiteral("p_FT-2-1"), QStringLiteral("sounds/51_flexi_tvorba_zaciatok.wav") },
        { QStringLiteral("p_FT-1-1"), QStringLiteral("sounds/52_flexi_tvorba_start.wav") },
        { QStringLiteral("p_FT-2-0"), QStringLiteral("sounds/57_flexi_tvorba_koniec.wav") },
        { QStringLiteral("p_FT-1-0"), QStringLiteral("sounds/58_flexi_tvorba_stop.wav") },
        { QStringLiteral("p_FC-0-1"), QStringLiteral("sounds/59_flexi_cerpanie_prichod.wav") },
        { QStringLiteral("p_FC-0-0"), QStringLiteral("sounds/60_flexi_cerpanie_odchod.wav") },
        { QStringLiteral("p_FC-2-1"), QStringLiteral("sounds/61_flexi_cerpanie_start.wav") },
        { QStringLiteral("p_FC-1-1"), QStringLiteral("sounds/62_flexi_cerpanie_zaciatok.wav") },
        { QStringLiteral("p_FC-2-0"), QStringLiteral("sounds/63_flexi_cerpanie_koniec.wav") },
        { QStringLiteral("p_FC-1-0"), QStringLiteral("sounds/64_flexi_cerpanie_stop.wav") },
        { QStringLiteral("prechod"), QStringLiteral("sounds/65_prechod.wav") },
        { QStringLiteral("otvord"), QStringLiteral("sounds/66_otvorenie_dveri.wav") },
        { QStringLiteral("ns"), QStringLiteral("sounds/67_nova_sprava.wav") },
        { QStringLiteral("vymaz"), QStringLiteral("sounds/68_vymazane.wav") },
        { QStringLiteral("zrus"), QStringLiteral("sounds/69_zrusene.wav") },
        { QStringLiteral("odos"), QStringLiteral("sounds/70_odoslane.wav") },
        { QStringLiteral("pk"), QStringLiteral("sounds/71_prilozte_kartu.wav") },
        { QStringLiteral("kjr"), QStringLiteral("sounds/72_karta_je_uz_registrovana.wav") },
        { QStringLiteral("nrk"), QStringLiteral("sounds/73_neregistrovana_karta.wav") },
        { QStringLiteral("zoc"), QStringLiteral("sounds/74_zadajte_osobne_cislo.wav") },
        { QStringLiteral("zp"), QStringLiteral("sounds/75_zvolte_prerusenie.wav") },
        { QStringLiteral("idzn"), QStringLiteral("sounds/76_id_zamestnanca_neregistrovane.wav") },
        { QStringLiteral("nid"), QStringLiteral("sounds/77_neregistrovane_id.wav") },
        { QStringLiteral("pak"), QStringLiteral("sounds/78_prilozte_administratorsku_kartu.wav") },
        { QStringLiteral("ts"), QStringLiteral("sounds/79_terminal_synchronizovany.wav") },
        { QStringLiteral("modv"), QStringLiteral("sounds/80_vyrobny_modul.wav") },
        { QStringLiteral("mods"), QStringLiteral("sounds/81_stravovaci_modul.wav") },
        { QStringLiteral("reboot"), QStringLiteral("sounds/82_systemovy_restart.wav") },
        { QStringLiteral("click"), QStringLiteral("sounds/button_click.wav") },
        { QStringLiteral("keyclick"), QStringLiteral("sounds/keyclick.wav") },
    };
}

QString SoundManager::getFilePath(const QString &key) const
{
    const QString path = mFiles.value(key);
    if (Zep::debugLevel > 1)
        qDebug() << "SoundManager::getFilePath(" << key << "):" << path;
    return path;
}

void SoundManager::play(const QString &key, bool setVolume)
{
    if (mMuted)
        return;
    const QString path = getFilePath(key);
    if (Zep::debugLevel >= 2) {
        if (path.isEmpty())
            qDebug() << "SoundManager::play(" << key << "): unknown key!";
        else
            qDebug() << "SoundManager::play(" << key << "):" << path;
    }
    if (path.isEmpty())
        return;
    if (!path.contains(QLatin1String(".wav"))) {
        // Only the external player is ever busy; wave sounds may overlap.
        if (mPlayerRunning && path == mOldFile) {
            if (Zep::debugLevel > 1)
                qDebug() << "SoundManager::play() - skipping (playerIsBusy && file == oldFile)";
            return;
        }
        if (mPlayerRunning)
            mPlayer->writeCommand("stop \n");
        mPlayer->playFile(path);
        if (setVolume) {
            if (Zep::debugLevel > 1)
                qDebug() << "SoundManager::play(): volume:" << mVolume;
            mPlayer->writeCommand(QStringLiteral("volume %1 1 \n").arg(mVolume).toLatin1());
        }
    } else {
        if (Zep::debugLevel > 1)
            qDebug() << "SoundManager::play(): play via QSound";
        mWaveOutput->play(path);
    }
    mOldFile = path;
}

void SoundManager::play(const QString &key)
{
    play(key, false);
}

QString SoundManager::entranceKey(const QString &abbreviation, uint direction)
{
    return QStringLiteral("p_%1-0-%2").arg(abbreviation).arg(direction == 1 ? 1 : 0);
}

void SoundManager::playEntrance(const QString &abbreviation, uint direction)
{
    play(entranceKey(abbreviation, direction));
}

void SoundManager::setVolume(int volume)
{
    if (Zep::debugLevel != 0)
        qDebug() << "SoundManager::setVolume(" << volume << ")";
    mVolume = volume;
    mWaveOutput->setVolume(volume);
}

void SoundManager::setMute(bool muted)
{
    mMuted = muted;
    mWaveOutput->setMuted(muted);
    if (mMuted && mPlayerRunning)
        mPlayer->writeCommand("quit \n");
}

void SoundManager::onPlayerStart()
{
    if (Zep::debugLevel > 2)
        qDebug() << "SoundManager::onPlayerStart()";
    mPlayerRunning = true;
}

void SoundManager::onPlayerStop()
{
    if (Zep::debugLevel > 2)
        qDebug() << "SoundManager::onPlayerStop()";
    mPlayerRunning = false;
}
