#include "setup/setup_texts.h"

#include <mutex>
#include <string_view>
#include <unordered_map>

#include "l10n/language.h"

namespace vonu {
namespace {

struct Row {
    const wchar_t* english;
    const wchar_t* arabic;
};

const Row kRows[] = {
    {L"Vonu Setup", L"إعداد ڤونو"},
    {L"Choose the language for setup and for Vonu", L"اختر لغة الإعداد ولغة ڤونو"},
    {L"OK", L"موافق"},
    {L"Cancel", L"إلغاء"},
    {L"< Back", L"السابق"},
    {L"Next >", L"التالي"},
    {L"Install", L"تثبيت"},
    {L"Finish", L"إنهاء"},
    {L"Welcome to Vonu setup", L"مرحبًا بك في إعداد ڤونو"},
    {L"Setup will install Vonu Download Manager %s on your computer.\r\n\r\nVonu splits each file across "
     L"several connections, resumes downloads when the internet drops, and catches downloads from your "
     L"browser.\r\n\r\nClick Next to continue.",
     L"سيثبّت الإعداد ڤونو - مدير التحميل %s على جهازك.\r\n\r\nيقسّم ڤونو كل ملف على عدة اتصالات، ويستأنف "
     L"التحميل إذا انقطع الإنترنت، ويلتقط التحميلات من متصفحك.\r\n\r\nاضغط «التالي» للمتابعة."},
    {L"License agreement", L"اتفاقية الترخيص"},
    {L"Please read these terms before you install Vonu", L"اقرأ هذه الشروط قبل تثبيت ڤونو"},
    {L"I accept the agreement", L"أوافق على الاتفاقية"},
    {L"I do not accept the agreement", L"لا أوافق على الاتفاقية"},
    {L"Install folder", L"مجلد التثبيت"},
    {L"Choose where Vonu will be installed", L"اختر المكان الذي سيُثبَّت فيه ڤونو"},
    {L"Vonu will be installed in this folder. To choose another folder, click Browse.",
     L"سيُثبَّت ڤونو في هذا المجلد. لاختيار مجلد آخر اضغط «استعراض»."},
    {L"Browse...", L"استعراض..."},
    {L"Space needed: %s", L"المساحة المطلوبة: %s"},
    {L"Space free: %s", L"المساحة المتاحة: %s"},
    {L"Options", L"خيارات"},
    {L"Choose what setup should add", L"اختر ما يضيفه الإعداد"},
    {L"Choose what setup should add, then click Install.", L"اختر ما يضيفه الإعداد، ثم اضغط «تثبيت»."},
    {L"Create a shortcut on the desktop", L"إنشاء اختصار على سطح المكتب"},
    {L"Add Vonu to the Start menu", L"إضافة ڤونو إلى قائمة «ابدأ»"},
    {L"Start Vonu when Windows starts", L"تشغيل ڤونو مع بدء ويندوز"},
    {L"Installing", L"جارٍ التثبيت"},
    {L"Please wait while setup installs Vonu", L"انتظر قليلًا حتى ينتهي تثبيت ڤونو"},
    {L"Copying %s", L"جارٍ نسخ %s"},
    {L"Creating shortcuts", L"جارٍ إنشاء الاختصارات"},
    {L"Connecting Vonu to your browsers", L"جارٍ ربط ڤونو بالمتصفحات"},
    {L"Vonu is installed", L"تم تثبيت ڤونو"},
    {L"Setup finished installing Vonu on your computer.\r\n\r\nTo catch downloads from your browser, add the "
     L"Vonu extension.",
     L"انتهى تثبيت ڤونو على جهازك.\r\n\r\nلالتقاط التحميلات من المتصفح، أضف إضافة ڤونو."},
    {L"Run Vonu now", L"تشغيل ڤونو الآن"},
    {L"Add the Vonu extension to my browser", L"إضافة ڤونو إلى متصفحي"},
    {L"Setup could not finish", L"تعذر إكمال الإعداد"},
    {L"Setup could not install Vonu:\r\n%s\r\n\r\nNothing was changed. Click Finish to close setup.",
     L"تعذر تثبيت ڤونو:\r\n%s\r\n\r\nلم يتغير شيء. اضغط «إنهاء» لإغلاق الإعداد."},
    {L"Are you sure you want to cancel setup? Vonu will not be installed.", L"هل تريد إلغاء الإعداد؟ لن يُثبَّت ڤونو."},
    {L"Vonu is running. Setup will close it to continue.", L"ڤونو يعمل الآن. سيغلقه الإعداد للمتابعة."},
    {L"Close Vonu, then try again.", L"أغلق ڤونو ثم حاول مرة أخرى."},
    {L"Choose a folder for Vonu.", L"اختر مجلدًا لڤونو."},
    {L"Setup needs administrator rights to install in this folder. Continue?",
     L"يحتاج الإعداد إلى صلاحيات المسؤول للتثبيت في هذا المجلد. هل تريد المتابعة؟"},
    {L"Cannot write to the install folder", L"تعذرت الكتابة في مجلد التثبيت"},
    {L"Cannot create the shortcut", L"تعذر إنشاء الاختصار"},
    {L"Remove Vonu", L"إزالة ڤونو"},
    {L"Remove", L"إزالة"},
    {L"Vonu Download Manager will be removed from your computer. The files you downloaded stay where they are.",
     L"ستُزال ڤونو - مدير التحميل من جهازك. الملفات التي حمّلتها تبقى في مكانها."},
    {L"Also delete my download list and settings", L"احذف أيضًا قائمة التحميلات والإعدادات"},
    {L"Vonu was removed from your computer.", L"أُزيل ڤونو من جهازك."},
    {L"Download Manager", L"مدير التحميل"},
    {L"Version %s", L"الإصدار %s"},
    {L"Vonu", L"ڤونو"},
    // Why a folder was refused, shown under "Choose a folder for Vonu.".
    {L"Type the full path of a folder, starting with a drive (C:\\) or a network share (\\\\server\\share).",
     L"اكتب المسار الكامل لمجلد يبدأ بقرص (C:\\) أو بمجلد مشترك على الشبكة (\\\\server\\share)."},
    {L"A folder name cannot contain \" < > | * ? or :.", L"لا يمكن أن يحتوي اسم المجلد على \" < > | * ? أو :."},
    {L"A folder name cannot be a device name such as CON or NUL, or end with a dot or a space.",
     L"لا يمكن أن يكون اسم المجلد اسم جهاز مثل CON أو NUL، ولا أن ينتهي بنقطة أو مسافة."},
    {L"This path is too long for Vonu's files. Choose a shorter one.",
     L"هذا المسار أطول من أن يتسع لملفات ڤونو. اختر مسارًا أقصر."},
    {L"A file of this name is in the way. Choose another folder.",
     L"يوجد ملف بهذا الاسم في المكان نفسه. اختر مجلدًا آخر."},
    {L"Vonu is not installed for this user.", L"ڤونو غير مثبّت لهذا المستخدم."},
};

// The licence page's intro: no English text, so it is not a table row (an empty English
// text would turn every empty static Arabic).
constexpr wchar_t kArabicLicenceIntro[] = L"اقرأ اتفاقية الترخيص أدناه. يجب أن توافق عليها للمتابعة.";

constexpr wchar_t kEnglishLicence[] =
    L"Vonu Download Manager licence\r\n\r\n"
    L"You may install and use Vonu on any number of computers for yourself, at home or at work, free "
    L"of charge. You may copy the setup program and give it to others unchanged.\r\n\r\n"
    L"You may not sell Vonu, change it and hand on the changed program as Vonu, or remove this "
    L"licence from it.\r\n\r\n"
    L"Vonu downloads the files you ask it to download. You are responsible for having the right to "
    L"download them. The files you downloaded are yours and stay on your computer when you remove "
    L"Vonu.\r\n\r\n"
    L"Vonu is provided as it is, without any warranty. The maker is not liable for any damage that "
    L"comes from using it, as far as the law allows.";

constexpr wchar_t kArabicLicence[] =
    L"ترخيص ڤونو - مدير التحميل\r\n\r\n"
    L"يحق لك تثبيت ڤونو واستخدامه على أي عدد من الأجهزة لنفسك، في البيت أو في العمل، مجانًا. ويحق لك نسخ "
    L"برنامج الإعداد وإعطاؤه لغيرك دون تغيير.\r\n\r\n"
    L"لا يحق لك بيع ڤونو، ولا تغييره وتوزيع البرنامج المعدَّل باسم ڤونو، ولا حذف هذا الترخيص منه.\r\n\r\n"
    L"يحمّل ڤونو الملفات التي تطلب تحميلها، وأنت مسؤول عن حقك في تحميلها. الملفات التي حمّلتها ملكك وتبقى "
    L"على جهازك عند إزالة ڤونو.\r\n\r\n"
    L"يُقدَّم ڤونو كما هو دون أي ضمان، ولا يتحمل صانعه مسؤولية أي ضرر ينتج عن استخدامه في حدود ما يسمح به "
    L"القانون.";

const std::unordered_map<std::wstring_view, const wchar_t*>& Table() {
    static const auto* table = [] {
        auto* map = new std::unordered_map<std::wstring_view, const wchar_t*>;
        for (const Row& row : kRows) map->emplace(row.english, row.arabic);
        return map;
    }();
    return *table;
}

}  // namespace

const wchar_t* SetupText(const wchar_t* english) {
    if (!english || !*english || !IsArabicInterface()) return english;
    const auto& table = Table();
    const auto found = table.find(english);
    return found == table.end() ? english : found->second;
}

std::wstring SetupText(const std::wstring& english) { return SetupText(english.c_str()); }

const wchar_t* LicenceIntro() { return IsArabicInterface() ? kArabicLicenceIntro : L""; }
const wchar_t* LicenceText() { return IsArabicInterface() ? kArabicLicence : kEnglishLicence; }

std::wstring FillIn(const std::wstring& format, const std::wstring& value) {
    std::wstring out = format;
    const size_t at = out.find(L"%s");
    if (at != std::wstring::npos) out.replace(at, 2, value);
    return out;
}

}  // namespace vonu
