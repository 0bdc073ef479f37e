{ Reads a table with its production index through Free Pascal's dbf unit:
  selects a tag, prints every record number in tag order ("R n"), then for
  each further argument seeks the key and prints the record found ("S n",
  0 when none). Arguments: DIR TABLE TAG [C:text | N:number ...] }
program mdx_walk;

{$mode objfpc}{$H+}

uses
  SysUtils, db, dbf, dbf_common;

var
  T: TDbf;
  I: Integer;
  Arg: string;
  Found: Boolean;
begin
  T := TDbf.Create(nil);
  try
    T.FilePath := IncludeTrailingPathDelimiter(ParamStr(1));
    T.TableName := ParamStr(2);
    T.TableLevel := 4;
    T.ReadOnly := True;
    T.ShowDeleted := True;
    T.Open;
    T.IndexName := ParamStr(3);
    T.First;
    while not T.EOF do
    begin
      WriteLn('R ', T.PhysicalRecNo);
      T.Next;
    end;
    for I := 4 to ParamCount do
    begin
      Arg := ParamStr(I);
      if Copy(Arg, 1, 2) = 'N:' then
        Found := T.SearchKey(StrToInt(Copy(Arg, 3, Length(Arg))), stGreaterEqual)
      else
        Found := T.SearchKey(Copy(Arg, 3, Length(Arg)), stGreaterEqual);
      if Found then
        WriteLn('S ', T.PhysicalRecNo)
      else
        WriteLn('S 0');
    end;
    T.Close;
  finally
    T.Free;
  end;
end.
