{ Appends records to a taxpayer-list table through Free Pascal's dbf unit,
  which keeps every tag of the production .mdx up to date on each Post, and
  prints the time the appends took ("SECONDS s", open and close included).
  Arguments: DIR TABLE COUNT FIRST, where FIRST is the NOM of the first new
  record. Record n gets the same values as the C++ benchmark gives it: the
  generator below is the benchmark's, step for step.
  Text is kept in the table's own code page (1251) end to end: no
  translation on read or write, and the run-time library upper-cases in
  1251, as a program running under a Russian locale does. }
program fpc_append;

{$mode objfpc}{$H+}

uses
  SysUtils, db, dbf, dbf_common;

type
  TGenerator = record
    X: QWord;
  end;

  // Event handlers: the program's text already is in the table's code page.
  TCodePageHandlers = class
    function Translate(Dbf: TDbf; Src, Dest: PChar; ToOem: Boolean): Integer;
    procedure LanguageWarning(Dbf: TDbf; var Action: TDbfLanguageAction);
  end;

const
  SurnameCount = 40;
  NameCount = 20;
  PatronymicCount = 20;
  Surnames: array[0..SurnameCount - 1] of string = (
    'Иванов', 'Петрова', 'Сидоров', 'Кузнецова', 'Смирнов', 'Попова', 'Волков', 'Соловьёва',
    'Чернов', 'Яковлева', 'Щукин', 'Ёлкина', 'Зайцев', 'Юдина', 'Шевченко', 'Эйдельман',
    'Абрамов', 'Баранова', 'Васильев', 'Григорьева', 'Дмитриев', 'Егорова', 'Жуков', 'Исаева',
    'Киселёв', 'Лебедева', 'Морозов', 'Новикова', 'Орлов', 'Павлова', 'Романов', 'Тарасова',
    'Уткин', 'Фёдорова', 'Харитонов', 'Цветкова', 'Чайкин', 'Шарова', 'Ягодкин', 'Медведева');
  Names: array[0..NameCount - 1] of string = (
    'Иван', 'Пётр', 'Анна', 'Мария', 'Сергей', 'Ольга', 'Юрий', 'Яна', 'Фёдор', 'Елена',
    'Алексей', 'Наталья', 'Дмитрий', 'Татьяна', 'Чеслав', 'Эльвира', 'Николай', 'Ирина',
    'Владимир', 'Людмила');
  Patronymics: array[0..PatronymicCount - 1] of string = (
    'Иванович', 'Петровна', 'Сергеевич', 'Алексеевна', 'Юрьевич', 'Фёдоровна', 'Ильич',
    'Дмитриевна', 'Николаевич', 'Владимировна', 'Андреевич', 'Олеговна', 'Яковлевич',
    'Семёновна', 'Михайлович', 'Борисовна', 'Григорьевич', 'Евгеньевна', 'Тимофеевич',
    'Аркадьевна');

var
  SurnamesCp, NamesCp, PatronymicsCp: array of string;
  AddressStart: string;

function TCodePageHandlers.Translate(Dbf: TDbf; Src, Dest: PChar; ToOem: Boolean): Integer;
begin
  Result := StrLen(Src);
  if Src <> Dest then
    Move(Src^, Dest^, Result + 1);
end;

procedure TCodePageHandlers.LanguageWarning(Dbf: TDbf; var Action: TDbfLanguageAction);
begin
  Action := laForceANSI;
end;

// Russian letters from UTF-8 (as this source is written) to code page 1251.
function ToCp1251(const S: string): string;
var
  I, C: Integer;
  B: Byte;
begin
  Result := '';
  I := 1;
  while I <= Length(S) do
  begin
    B := Ord(S[I]);
    if (B and $E0) = $C0 then
    begin
      C := ((B and $1F) shl 6) or (Ord(S[I + 1]) and $3F);
      Inc(I, 2);
      if (C >= $410) and (C <= $44F) then
        Result := Result + Chr(C - $410 + $C0)
      else if C = $401 then
        Result := Result + #$A8
      else if C = $451 then
        Result := Result + #$B8
      else
        Result := Result + '?';
    end
    else
    begin
      Result := Result + S[I];
      Inc(I);
    end;
  end;
end;

// Upper case in code page 1251, installed as the run-time library's ANSI
// upper-casing (the dbf unit evaluates UPPER() through AnsiStrUpper).
function Cp1251StrUpper(Str: PChar): PChar;
begin
  Result := Str;
  if Str = nil then Exit;
  while Str^ <> #0 do
  begin
    case Ord(Str^) of
      $61..$7A, $E0..$FF: Str^ := Chr(Ord(Str^) - $20);
      $B8: Str^ := #$A8;  // ё
    end;
    Inc(Str);
  end;
end;

procedure UseCp1251UpperCase;
var
  Manager: TUnicodeStringManager;
begin
  GetUnicodeStringManager(Manager);
  Manager.StrUpperAnsiStringProc := @Cp1251StrUpper;
  SetUnicodeStringManager(Manager);
end;

function Draw(var G: TGenerator): Cardinal;
begin
  G.X := (G.X * 1103515245 + 12345) and $FFFFFFFF;
  Result := Cardinal(G.X shr 8);
end;

var
  T: TDbf;
  Handlers: TCodePageHandlers;
  Count, First, N, I: Integer;
  G: TGenerator;
  FNom, FFam, FName, FOtc, FDateRog, FAdres, FInn, FIsSprav: TField;
  Y, M, D: Word;
  Started: QWord;
begin
  if ParamCount < 4 then
  begin
    WriteLn(StdErr, 'usage: fpc_append DIR TABLE COUNT FIRST');
    Halt(2);
  end;
  Count := StrToInt(ParamStr(3));
  First := StrToInt(ParamStr(4));
  UseCp1251UpperCase;
  SetLength(SurnamesCp, SurnameCount);
  for I := 0 to SurnameCount - 1 do SurnamesCp[I] := ToCp1251(Surnames[I]);
  SetLength(NamesCp, NameCount);
  for I := 0 to NameCount - 1 do NamesCp[I] := ToCp1251(Names[I]);
  SetLength(PatronymicsCp, PatronymicCount);
  for I := 0 to PatronymicCount - 1 do PatronymicsCp[I] := ToCp1251(Patronymics[I]);
  AddressStart := ToCp1251('643,101000,77,,Москва г,,Тверская ул,');

  Handlers := TCodePageHandlers.Create;
  T := TDbf.Create(nil);
  try
    Started := GetTickCount64;
    T.FilePath := IncludeTrailingPathDelimiter(ParamStr(1));
    T.TableName := ParamStr(2);
    T.TableLevel := 4;
    T.Exclusive := True;
    T.OnTranslate := @Handlers.Translate;
    T.OnLanguageWarning := @Handlers.LanguageWarning;
    T.Open;
    FNom := T.FieldByName('NOM');
    FFam := T.FieldByName('FAM');
    FName := T.FieldByName('NAME');
    FOtc := T.FieldByName('OTC');
    FDateRog := T.FieldByName('DATEROG');
    FAdres := T.FieldByName('ADRES');
    FInn := T.FieldByName('INNFL');
    FIsSprav := T.FieldByName('ISSPRAV');
    for N := First to First + Count - 1 do
    begin
      G.X := (QWord(N) * 2654435761) and $FFFFFFFF;
      T.Append;
      FNom.AsInteger := N;
      FFam.AsString := SurnamesCp[Draw(G) mod SurnameCount];
      FName.AsString := NamesCp[Draw(G) mod NameCount];
      FOtc.AsString := PatronymicsCp[Draw(G) mod PatronymicCount];
      Y := 1940 + Draw(G) mod 60;
      M := 1 + Draw(G) mod 12;
      D := 1 + Draw(G) mod 28;
      FDateRog.AsDateTime := EncodeDate(Y, M, D);
      FAdres.AsString := AddressStart + IntToStr(1 + Draw(G) mod 200) + ',,';
      FInn.AsString := '7700' + Format('%.8d', [N]);
      FIsSprav.AsBoolean := False;
      T.Post;
    end;
    T.Close;
    WriteLn('SECONDS ', (GetTickCount64 - Started) / 1000.0:0:3);
  finally
    T.Free;
    Handlers.Free;
  end;
end.
